#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "RunTool.h"
#include "sample_target/SampleInstall.h"

namespace fs = std::filesystem;
using tarvix::test::commandLine;
using tarvix::test::runTool;
using tarvix::test::shellWord;
using tarvix::test::TempDir;
using tarvix::test::ToolResult;

namespace {

const auto writeText = tarvix::test::writeExecutable;  // the mode does not matter to the reader

const std::string kSystemProfiler = TARVIX_LIBEXEC_DIR "/system_profiler";

using Block = std::map<std::string, std::string>;

/// Reads the report back by its layout: "Applications:", then per application a 4-space
/// "NAME:" line and 6-space "Key: Value" lines, each group followed by a blank line. Any line
/// out of place fails the test.
std::multimap<std::string, Block> parseApplications(const std::string& report)
{
    std::multimap<std::string, Block> applications;
    std::istringstream in(report);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "Applications:");
    std::getline(in, line);
    EXPECT_EQ(line, "");
    static const std::regex nameLine(R"(^    (\S.*):$)");
    static const std::regex fieldLine(R"(^      ([A-Z][A-Za-z ]+): (.*)$)");
    Block* block = nullptr;
    bool afterName = false;
    while (std::getline(in, line)) {
        std::smatch match;
        if (std::regex_match(line, match, nameLine)) {
            block = &applications.emplace(match[1], Block{})->second;
            afterName = true;
            std::getline(in, line);
            EXPECT_EQ(line, "") << "no blank line after " << match[1];
        } else if (block && std::regex_match(line, match, fieldLine)) {
            EXPECT_TRUE(block->emplace(match[1], match[2]).second) << "repeated " << match[1];
        } else {
            EXPECT_EQ(line, "") << "line out of layout";
            EXPECT_TRUE(afterName) << "blank line outside a block";
            block = nullptr;
        }
    }
    return applications;
}

ToolResult runProfiler(const fs::path& root, const std::vector<std::string>& arguments, const std::string& dataDirs)
{
    const std::string home = "HOME=" + (root / "home").string();
    return runTool("env -u XDG_DATA_HOME " + commandLine({home, "XDG_DATA_DIRS=" + dataDirs, kSystemProfiler}) + " " +
                   commandLine(arguments));
}

/// The block without its "Last Modified" line, which must be a minute-precision time.
Block withoutTime(Block block)
{
    EXPECT_TRUE(std::regex_match(block["Last Modified"], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d)")));
    block.erase("Last Modified");
    return block;
}

/// A desktop entry of this machine that an installed Debian package owns, with that package.
std::optional<std::pair<fs::path, std::string>> packagedDesktopEntry()
{
    std::error_code error;
    for (fs::directory_iterator it("/usr/share/applications", error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() != ".desktop") continue;
        int status = 0;
        auto owner = tarvix::test::runCommand("dpkg -S " + shellWord(it->path()) + " 2>/dev/null", &status);
        if (status == 0 && owner.find(':') != std::string::npos)
            return std::pair{it->path(), owner.substr(0, owner.find(':'))};
    }
    return std::nullopt;
}

}  // namespace

TEST(SystemProfiler, ListsBundlesAndDesktopEntriesInItsLayout)
{
    TempDir root;
    const fs::path home = root.path() / "home";
    const auto scrivo = tarvix::sample::writeBundle(home / "Applications", tarvix::sample::Edition::Scrivo, "4.1.20");
    const auto glance =
        tarvix::sample::writeBundle(home / "Applications" / "Norvane", tarvix::sample::Edition::Glance, "3.9.2");
    // Two levels down is out of reach, as for discovery.
    tarvix::sample::writeBundle(home / "Applications" / "a" / "b", tarvix::sample::Edition::Glance, "1.0");

    const fs::path userEntries = home / ".local/share/applications";
    const fs::path systemEntries = root.path() / "usr/share/applications";
    writeText(userEntries / "org.example.Notes.desktop",
              "# user copy\n[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\n"
              "Exec=notes\\s--new %U\n\n[Desktop Action new]\nName=New Note\nExec=other\n");
    // The same id lower in the search order is shadowed; a hidden one hides its system copy.
    writeText(systemEntries / "org.example.Notes.desktop", "[Desktop Entry]\nType=Application\nName=Old Notes\n");
    writeText(userEntries / "org.example.Gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n");
    writeText(systemEntries / "org.example.Gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\n");
    writeText(systemEntries / "org.example.Site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=x\n");
    writeText(systemEntries / "tools/org.example.Calc.desktop", "[Desktop Entry]\nType=Application\nName=Calc\n");
    writeText(systemEntries / "broken.desktop", "no group here\nName=Broken\n");

    auto packaged = packagedDesktopEntry();
    const std::string dataDirs = root.path().string() + "/usr/share:" + (packaged ? "/usr/share" : "");
    auto result = runProfiler(root.path(), {"-detailLevel", "full", "SPApplicationsDataType"}, dataDirs);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto applications = parseApplications(result.out);

    const auto only = [&](const std::string& name) {
        EXPECT_EQ(applications.count(name), 1u) << name << "\n" << result.out;
        return applications.count(name) ? withoutTime(applications.find(name)->second) : Block{};
    };
    EXPECT_EQ(only("Scrivo"), (Block{{"Version", "4.1.20"},
                                     {"Location", scrivo},
                                     {"Obtained from", "Unknown"},
                                     {"Bundle Identifier", "com.norvane.Scrivo.Pro"},
                                     {"Kind", "Application bundle"}}));
    EXPECT_EQ(only("Glance"), (Block{{"Version", "3.9.2"},
                                     {"Location", glance},
                                     {"Obtained from", "Unknown"},
                                     {"Bundle Identifier", "com.norvane.Glance"},
                                     {"Kind", "Application bundle"}}));
    EXPECT_EQ(only("Notes"), (Block{{"Kind", "Desktop entry"},
                                    {"Obtained from", "Unknown"},
                                    {"Location", userEntries / "org.example.Notes.desktop"},
                                    {"Command", "notes --new %U"}}));
    EXPECT_EQ(applications.count("Calc"), 1u) << "entries in sub-folders count";
    for (const char* absent : {"Old Notes", "Gone", "Site", "Broken", "New Note"})
        EXPECT_EQ(applications.count(absent), 0u) << absent;

    if (!packaged) GTEST_SKIP() << "no desktop entry of an installed package on this machine";
    int status = 0;
    const std::string version =
        tarvix::test::runCommand("dpkg-query -W -f '${Version}' " + shellWord(packaged->second), &status);
    bool found = false;
    for (const auto& [name, block] : applications) {
        if (block.at("Location") != packaged->first.string()) continue;
        found = true;
        EXPECT_EQ(block.at("Obtained from"), "Debian package");
        EXPECT_EQ(block.at("Package"), packaged->second + " (" + version + ")");
        EXPECT_EQ(block.at("Version"), version);
    }
    EXPECT_TRUE(found) << packaged->first << "\n" << result.out;
}

TEST(SystemProfiler, RefusesAnyOtherRequest)
{
    TempDir root;
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"SPApplicationsDataType"},
                                               {"-detailLevel", "mini", "SPApplicationsDataType"},
                                               {"-detailLevel", "full", "SPSoftwareDataType"},
                                               {"-detailLevel", "full", "SPApplicationsDataType", "-xml"}}) {
        auto result = runProfiler(root.path(), arguments, "/nonexistent");
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("usage: system_profiler -detailLevel full SPApplicationsDataType\n", 0), 0u)
            << result.err;
    }
}
