#include "core/target/InstallationDiscovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::Edition;
namespace UF = UtilityFunctions;

namespace {

std::vector<std::string> linesStartingWith(const test::Sandbox& sandbox, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& line : sandbox.logMessages())
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

/// A bundle of the full edition in `folder`, renamed to `name` when given.
fs::path scrivoBundle(const fs::path& folder, const std::string& name = {})
{
    const fs::path bundle = sample::writeBundle(folder, Edition::Scrivo, "4.1.0");
    if (name.empty()) return bundle;
    fs::rename(bundle, folder / name);
    return folder / name;
}

}  // namespace

TEST(InstallationDiscovery, FindsExactIdentifiersInFolderOrderAndAppendsOnEveryCall)
{
    test::Sandbox sandbox;
    const fs::path root = sandbox.root();
    // Folder order first (home, /Applications, /opt), then names within a folder; a folder's
    // own bundles come before those of its sub-folders.
    const fs::path inOptSuite = scrivoBundle(root / "opt" / "Suite");
    const fs::path inSystemB = scrivoBundle(root / "Applications", "B Scrivo.app");
    const fs::path inSystemA = scrivoBundle(root / "Applications", "A Scrivo.app");
    const fs::path inHome = scrivoBundle(sandbox.home() / "Applications");
    const fs::path inOpt = scrivoBundle(root / "opt", "Zed.app");
    // Near misses: another edition, a different case, a deeper folder, a folder without Info.plist.
    sample::writeBundle(root / "Applications", Edition::Glance, "4.1.0");
    std::ofstream(scrivoBundle(root / "opt", "Upper.app") / "Contents" / "Info.plist")
        << "<plist><dict><key>CFBundleIdentifier</key><string>com.norvane.scrivo.pro</string></dict></plist>";
    scrivoBundle(root / "opt" / "a" / "b");
    fs::create_directories(root / "Applications" / "Empty.app");

    UF::getScrivoInstalledPath(sandbox.folders());
    UF::getScrivoInstalledPath(sandbox.folders());

    const std::vector<fs::path> once = {inHome, inSystemA, inSystemB, inOpt, inOptSuite};
    std::vector<fs::path> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(UF::scrivoInstalledUrls.get(), twice);
    EXPECT_TRUE(UF::glanceInstalledUrls.get().empty());

    std::vector<std::string> expectedLines;
    for (const auto& url : twice)
        expectedLines.push_back("INFO: App url for bundle: com.norvane.Scrivo.Pro is: " + url.string());
    EXPECT_EQ(linesStartingWith(sandbox, "INFO: App url"), expectedLines);

    UF::getGlanceInstalledPath(sandbox.folders());
    EXPECT_EQ(UF::glanceInstalledUrls.get(), std::vector<fs::path>{root / "Applications" / "Glance.app"});
}

TEST(FlavourFromAppVersion, FirstCharacterOfTheLastComponentDecides)
{
    test::Sandbox sandbox;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"4.1.20", "QX"},   {"3.9.2", "QX"},   {"4.1.15", "Beta"}, {"4.2.07", "Trunk"},
        {"1.0", "Trunk"},   {"", "Trunk"},     {"4.6", "Trunk"},   {"5", "Trunk"},
        {"4.1.3", "Trunk"}, {"4.1.", "Trunk"}, {"2", "QX"},        {"4.1.1b", "Beta"}};
    std::vector<std::string> expectedLines;
    for (const auto& [version, expected] : cases) {
        // Start from a flavour the case must overwrite.
        UF::flavour.set(expected == "QX" ? "Beta" : "QX");
        const fs::path bundle = sample::writeBundle(sandbox.root() / "v", Edition::Scrivo, version);
        UF::FlavourFromAppVersion(bundle);
        EXPECT_EQ(UF::flavour.get(), expected) << "version " << version;
        expectedLines.push_back("INFO: FlavourFromAppVersion:" + version + " flavour: " + expected);
    }
    EXPECT_EQ(linesStartingWith(sandbox, "INFO: FlavourFromAppVersion"), expectedLines);

    // An unreadable bundle or version keeps the flavour, silently.
    const auto mark = sandbox.logMessages().size();
    UF::flavour.set("Beta");
    const fs::path bundle = sample::writeBundle(sandbox.root() / "u", Edition::Scrivo, "4.1.20");
    std::ofstream(bundle / "Contents" / "Info.plist")
        << "<plist><dict><key>CFBundleShortVersionString</key><integer>4</integer></dict></plist>";
    UF::FlavourFromAppVersion(bundle);
    std::ofstream(bundle / "Contents" / "Info.plist") << "not a property list";
    UF::FlavourFromAppVersion(bundle);
    // A pipe in its place would block a reader for ever: it is not read at all.
    fs::remove(bundle / "Contents" / "Info.plist");
    ASSERT_EQ(::mkfifo((bundle / "Contents" / "Info.plist").c_str(), 0644), 0);
    UF::FlavourFromAppVersion(bundle);
    UF::FlavourFromAppVersion(sandbox.root() / "missing.app");
    EXPECT_EQ(UF::flavour.get(), "Beta");
    EXPECT_EQ(sandbox.logMessages().size(), mark);
}

TEST(SetScrivoOrGlance, ChoosesTheEditionAndDescendsIntoItsFolder)
{
    test::Sandbox sandbox;
    ASSERT_TRUE(UF::CreateOutputDirectories(sandbox.folders()));
    const fs::path session = *UF::tempTimeStampedURL.get();

    UF::SetScrivoOrGlance({"com.norvane.Scrivo.Pro"}, session);
    EXPECT_EQ(UF::scrivoOrGlance.get(), "Scrivo");
    EXPECT_EQ(UF::tempOutputURL.get(), session / "Scrivo");
    EXPECT_TRUE(fs::is_directory(session / "Scrivo"));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Directory created: " + (session / "Scrivo").string());

    // Anything but the full edition first, the empty list included, is the free edition.
    for (const std::vector<std::string>& running : {std::vector<std::string>{},
                                                    {"com.norvane.Glance"},
                                                    {"com.norvane.scrivo.pro"},
                                                    {"com.norvane.Glance", "com.norvane.Scrivo.Pro"}}) {
        UF::SetScrivoOrGlance(running, session);
        EXPECT_EQ(UF::scrivoOrGlance.get(), "Glance");
        EXPECT_EQ(UF::tempOutputURL.get(), session / "Glance");
    }

    // Failures are logged and never stop the flow.
    fs::remove(session / "Glance");
    std::ofstream(session / "Glance") << "a file in the way";

    UF::SetScrivoOrGlance({"com.norvane.Glance"}, session);
    EXPECT_EQ(UF::tempOutputURL.get(), session / "Glance");
    const std::string last = sandbox.logMessages().back();
    EXPECT_EQ(last.rfind("ERROR: Failed to create directory: " + (session / "Glance").string() + " Error: ", 0), 0u)
        << last;

    UF::tempOutputURL.set(std::nullopt);
    UF::SetScrivoOrGlance({"com.norvane.Glance"}, std::nullopt);
    EXPECT_EQ(UF::scrivoOrGlance.get(), "Glance");
    EXPECT_FALSE(UF::tempOutputURL.get());
    EXPECT_EQ(sandbox.logMessages().back(),
              "WARNING: SetScrivoOrGlance: no output folder, the edition folder Glance was not created.");
}
