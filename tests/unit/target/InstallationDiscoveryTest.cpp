#include <gtest/gtest.h>

#include <fstream>

#include "core/target/InstallationDiscovery.h"
#include "core/workspace/UtilityFunctions.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::Edition;

namespace {

std::vector<std::string> linesStartingWith(const test::Sandbox& sandbox, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& line : sandbox.logMessages())
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

fs::path renamed(const fs::path& bundle, const std::string& name)
{
    const fs::path target = bundle.parent_path() / name;
    fs::rename(bundle, target);
    return target;
}

}  // namespace

TEST(InstallationDiscovery, FindsExactIdentifiersInFolderOrderAndAppendsOnEveryCall)
{
    test::Sandbox sandbox;
    const fs::path root = sandbox.root();
    // Folder order first (home, /Applications, /opt), then names within a folder; a folder's
    // own bundles come before those of its sub-folders.
    const fs::path inOptSuite = sample::writeBundle(root / "opt" / "Suite", Edition::Scrivo, "4.1.0");
    const fs::path inSystemB = renamed(sample::writeBundle(root / "Applications", Edition::Scrivo, "4.1.0"), "B Scrivo.app");
    const fs::path inSystemA = renamed(sample::writeBundle(root / "Applications", Edition::Scrivo, "4.1.0"), "A Scrivo.app");
    const fs::path inHome = sample::writeBundle(sandbox.home() / "Applications", Edition::Scrivo, "4.1.0");
    const fs::path inOpt = renamed(sample::writeBundle(root / "opt", Edition::Scrivo, "4.1.0"), "Zed.app");
    // Near misses: another edition, a different case, a deeper folder, a folder without Info.plist.
    sample::writeBundle(root / "Applications", Edition::Glance, "4.1.0");
    const fs::path upper = renamed(sample::writeBundle(root / "opt", Edition::Scrivo, "4.1.0"), "Upper.app");
    std::ofstream(upper / "Contents" / "Info.plist")
        << "<plist><dict><key>CFBundleIdentifier</key><string>com.norvane.scrivo.pro</string></dict></plist>";
    sample::writeBundle(root / "opt" / "a" / "b", Edition::Scrivo, "4.1.0");
    fs::create_directories(root / "Applications" / "Empty.app");

    UtilityFunctions::getScrivoInstalledPath();
    UtilityFunctions::getScrivoInstalledPath();

    const std::vector<fs::path> once = {inHome, inSystemA, inSystemB, inOpt, inOptSuite};
    std::vector<fs::path> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(UtilityFunctions::scrivoInstalledUrls.get(), twice);
    EXPECT_TRUE(UtilityFunctions::glanceInstalledUrls.get().empty());

    std::vector<std::string> expectedLines;
    for (const auto& url : twice) expectedLines.push_back("INFO: App url for bundle: com.norvane.Scrivo.Pro is: " + url.string());
    EXPECT_EQ(linesStartingWith(sandbox, "INFO: App url"), expectedLines);

    UtilityFunctions::getGlanceInstalledPath();
    ASSERT_EQ(UtilityFunctions::glanceInstalledUrls.get().size(), 1u);
    EXPECT_EQ(UtilityFunctions::glanceInstalledUrls.get()[0], root / "Applications" / "Glance.app");
}

TEST(FlavourFromAppVersion, FirstCharacterOfTheLastComponentDecides)
{
    test::Sandbox sandbox;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"4.1.20", "QX"}, {"3.9.2", "QX"}, {"4.1.15", "Beta"}, {"4.2.07", "Trunk"}, {"1.0", "Trunk"},
        {"", "Trunk"},    {"4.6", "Trunk"}, {"5", "Trunk"},     {"4.1.3", "Trunk"}, {"4.1.", "Trunk"},
        {"2", "QX"},      {"4.1.1b", "Beta"}};
    std::vector<std::string> expectedLines;
    for (const auto& [version, expected] : cases) {
        // Start from a flavour the case must overwrite.
        UtilityFunctions::flavour.set(expected == "QX" ? "Beta" : "QX");
        const fs::path bundle = sample::writeBundle(sandbox.root() / "v", Edition::Scrivo, version);
        UtilityFunctions::FlavourFromAppVersion(bundle);
        EXPECT_EQ(UtilityFunctions::flavour.get(), expected) << "version " << version;
        expectedLines.push_back("INFO: FlavourFromAppVersion:" + version + " flavour: " + expected);
    }
    EXPECT_EQ(linesStartingWith(sandbox, "INFO: FlavourFromAppVersion"), expectedLines);
}

TEST(FlavourFromAppVersion, UnreadableBundleOrVersionKeepsTheFlavourSilently)
{
    test::Sandbox sandbox;
    UtilityFunctions::flavour.set("Beta");
    const fs::path bundle = sample::writeBundle(sandbox.root() / "v", Edition::Scrivo, "4.1.20");

    std::ofstream(bundle / "Contents" / "Info.plist")
        << "<plist><dict><key>CFBundleShortVersionString</key><integer>4</integer></dict></plist>";
    UtilityFunctions::FlavourFromAppVersion(bundle);
    std::ofstream(bundle / "Contents" / "Info.plist") << "not a property list";
    UtilityFunctions::FlavourFromAppVersion(bundle);
    UtilityFunctions::FlavourFromAppVersion(sandbox.root() / "missing.app");

    EXPECT_EQ(UtilityFunctions::flavour.get(), "Beta");
    EXPECT_TRUE(linesStartingWith(sandbox, "INFO: FlavourFromAppVersion").empty());
}

TEST(SetScrivoOrGlance, ChoosesTheEditionAndDescendsIntoItsFolder)
{
    test::Sandbox sandbox;
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories());
    const fs::path session = *UtilityFunctions::tempTimeStampedURL.get();

    UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});
    UtilityFunctions::SetScrivoOrGlance();
    EXPECT_EQ(UtilityFunctions::scrivoOrGlance.get(), "Scrivo");
    EXPECT_EQ(UtilityFunctions::tempOutputURL.get(), session / "Scrivo");
    EXPECT_TRUE(fs::is_directory(session / "Scrivo"));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Directory created: " + (session / "Scrivo").string());

    // Anything but the full edition first, the empty list included, is the free edition.
    for (const std::vector<std::string>& running :
         {std::vector<std::string>{}, {"com.norvane.Glance"}, {"com.norvane.scrivo.pro"}, {"com.norvane.Glance", "com.norvane.Scrivo.Pro"}}) {
        UtilityFunctions::tempOutputURL.set(session);
        UtilityFunctions::ScrivoRunningInstance.set(running);
        UtilityFunctions::SetScrivoOrGlance();
        EXPECT_EQ(UtilityFunctions::scrivoOrGlance.get(), "Glance");
        EXPECT_EQ(UtilityFunctions::tempOutputURL.get(), session / "Glance");
    }

    // Failures are logged and never stop the flow.
    fs::remove(session / "Glance");
    std::ofstream(session / "Glance") << "a file in the way";

    UtilityFunctions::tempOutputURL.set(session);
    UtilityFunctions::SetScrivoOrGlance();
    EXPECT_EQ(UtilityFunctions::tempOutputURL.get(), session / "Glance");
    const std::string last = sandbox.logMessages().back();
    EXPECT_EQ(last.rfind("ERROR: Failed to create directory: " + (session / "Glance").string() + " Error: ", 0), 0u) << last;

    UtilityFunctions::tempOutputURL.set(std::nullopt);
    UtilityFunctions::SetScrivoOrGlance();
    EXPECT_EQ(UtilityFunctions::scrivoOrGlance.get(), "Glance");
    EXPECT_FALSE(UtilityFunctions::tempOutputURL.get());
    EXPECT_EQ(sandbox.logMessages().back(),
              "WARNING: SetScrivoOrGlance: no output folder, the edition folder Glance was not created.");
}
