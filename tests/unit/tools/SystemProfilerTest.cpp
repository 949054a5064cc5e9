#include <gtest/gtest.h>

#include <regex>

#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace sample = tarvix::sample;

namespace {

/// The report's application blocks, each "    NAME:", a blank line, "      Key: Value" lines and a
/// blank line, that lie in `root`; their "Last Modified" lines left out once their format is checked.
/// Anything out of that layout is reported as such.
std::string blocksIn(const std::string& report, const std::string& root)
{
    static const std::regex block(R"(    \S[^\n]*:\n\n(      [A-Z][A-Za-z ]+: [^\n]*\n)+\n)"),
        modified(R"(      Last Modified: \d{4}-\d\d-\d\d \d\d:\d\d\n)");
    if (!report.starts_with("Applications:\n\n")) return "no heading: " + report;
    std::string kept;
    auto at = report.begin() + 15;
    for (std::sregex_iterator it(at, report.end(), block), end; it != end && (*it)[0].first == at; ++it) {
        at = (*it)[0].second;
        if (it->str().find("      Location: " + root) != std::string::npos)
            kept += std::regex_replace(it->str(), modified, "");
    }
    return at == report.end() ? kept : "out of layout: " + std::string(at, report.end());
}

}  // namespace

TEST(SystemProfiler, ListsBundlesAndVisibleApplicationEntriesInItsLayoutWithTheirPackagesForTheOneRequestOnly)
{
    TempDir dir;
    const std::string root = dir.path();
    int status = -1;
    // What system_profiler prints for `arguments` (redirections included), over the machine's own
    // entries too, to find one that an installed Debian package owns.
    const auto profiler = [&](const std::string& arguments) {
        return runCommand("env -u XDG_DATA_HOME " +
                              commandLine({"HOME=" + root + "/home", "XDG_DATA_DIRS=" + root + "/usr/share:/usr/share",
                                           TARVIX_LIBEXEC_DIR "/system_profiler"}) +
                              " " + arguments,
                          &status);
    };
    for (const std::string other :
         {"", "SPApplicationsDataType", "-detailLevel mini SPApplicationsDataType",
          "-detailLevel full SPSoftwareDataType", "-detailLevel full SPApplicationsDataType -xml"}) {
        const std::string output = profiler(other + " 2>&1");
        EXPECT_TRUE(output.starts_with("usage: system_profiler -detailLevel full SPApplicationsDataType\n") &&
                    output.find("Applications:") == output.npos && status == 2)
            << other << ": " << status << " " << output;
    }
    const auto scrivo = sample::writeBundle(root + "/home/Applications", sample::Edition::Scrivo, "4.1.20");
    const auto glance = sample::writeBundle(root + "/home/Applications/Norvane", sample::Edition::Glance, "3.9.2");
    // Two levels down is out of reach, as for discovery.
    sample::writeBundle(root + "/home/Applications/a/b", sample::Edition::Glance, "1.0");
    const std::string user = root + "/home/.local/share/applications/", system = root + "/usr/share/applications/";
    writeFile(user + "org.example.Notes.desktop", "# user copy\n[Desktop Entry]\nType=Application\nName=Notes\n"
                                                  "Name[de]=Notizen\nExec=notes\\s--new %U\n\n[Desktop Action new]\n"
                                                  "Name=New Note\nExec=other\n");
    // The same id lower in the search order is shadowed; a hidden one hides its system copy.
    writeFile(system + "org.example.Notes.desktop", "[Desktop Entry]\nType=Application\nName=Old Notes\n");
    writeFile(user + "org.example.Gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    writeFile(system + "org.example.Gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\n");
    writeFile(system + "org.example.Site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n");
    writeFile(system + "tools/org.example.Calc.desktop", "[Desktop Entry]\nType=Application\nName=Calc\n");
    writeFile(system + "broken.desktop", "no group here\nName=Broken\n");

    const std::string report = profiler("-detailLevel full SPApplicationsDataType 2>/dev/null");
    ASSERT_EQ(status, 0);
    const std::string bundle = "      Obtained from: Unknown\n      Kind: Application bundle\n      Location: ",
                      desktop = "      Obtained from: Unknown\n      Kind: Desktop entry\n      Location: ";
    EXPECT_EQ(blocksIn(report, root), "    Calc:\n\n" + desktop + system +
                                          "tools/org.example.Calc.desktop\n\n    Glance:\n\n" +
                                          "      Version: 3.9.2\n" + bundle + glance.string() +
                                          "\n      Bundle Identifier: com.norvane.Glance\n\n    Notes:\n\n" + desktop +
                                          user + "org.example.Notes.desktop\n      Command: notes --new %U\n\n" +
                                          "    Scrivo:\n\n      Version: 4.1.20\n" + bundle + scrivo.string() +
                                          "\n      Bundle Identifier: com.norvane.Scrivo.Pro\n\n");

    std::smatch entry;
    if (!std::regex_search(report, entry,
                           std::regex("\n\n(    [^\n]+:\n\n(      [^\n]+\n)*      Location: "
                                      "(/usr/share/applications/[^\n]+)\n(      [^\n]+\n)*)")))
        GTEST_SKIP() << "no desktop entry on this machine";
    const std::string owner = runCommand("dpkg -S " + shellWord(entry[3]) + " 2>/dev/null", &status);
    if (status != 0) GTEST_SKIP() << entry[3] << " belongs to no package";
    const std::string package = owner.substr(0, owner.find(':'));
    const std::string version = runCommand("dpkg-query -W -f '${Version}' " + shellWord(package));
    for (const std::string& line : {"Version: " + version, std::string("Obtained from: Debian package"),
                                    "Package: " + package + " (" + version + ")"})
        EXPECT_NE(entry[1].str().find("      " + line + "\n"), std::string::npos) << entry[1];
}
