#include "core/collect/Collectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "core/collect/PListOperations.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/collect/ProcessExecution.h"
#include "core/target/InstallationDiscovery.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;

namespace {

std::vector<std::string> errorsAndWarnings(const test::Sandbox& sandbox, std::size_t since)
{
    std::vector<std::string> found;
    const auto lines = sandbox.logMessages();
    for (std::size_t i = since; i < lines.size(); ++i)
        if (lines[i].rfind("INFO: ", 0) != 0) found.push_back(lines[i].substr(0, lines[i].find(':', 9)));
    return found;
}

}  // namespace

TEST(Collectors, AFullStopCollectsTheExpectedTree)
{
    test::Sandbox sandbox;
    sample::install(sandbox.root(), {.scrivoVersion = "4.1.20"});
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
    const fs::path session = *UtilityFunctions::tempTimeStampedURL.get();
    UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});
    UtilityFunctions::getScrivoInstalledPath(sandbox.folders());
    UtilityFunctions::FlavourFromAppVersion(UtilityFunctions::scrivoInstalledUrls.get().front());
    UtilityFunctions::SetScrivoOrGlance({"com.norvane.Scrivo.Pro"}, UtilityFunctions::tempOutputURL.get());
    Session started = sessionFromSharedValues();
    PListOperations::EnableScrivoLogging(true, started);

    std::atomic<int> completions{0};
    ProcessExecution::runTasksConcurrently(false, false, true, sandbox.platform(), started, [&] { ++completions; });
    ASSERT_TRUE(test::waitFor([&] { return completions == 1; }));

    std::vector<std::string> expected = {"Scrivo/",
                                         "Scrivo/IPMLogs/",
                                         "Scrivo/IPMLogs/Bastion-ProMessages.lic/",
                                         "Scrivo/IPMLogs/Bastion-ProMessages.lic/messages.json",
                                         "Scrivo/InstallLogs/",
                                         "Scrivo/InstallLogs/Scrivo Update Helper QX.log",
                                         "Scrivo/InstallLogs/Scrivo Updater QX.log",
                                         "Scrivo/InstallLogs/scrivoUpdaterTools.log",
                                         "Scrivo/LicensingLogs/",
                                         "Scrivo/LicensingLogs/QLM/",
                                         "Scrivo/LicensingLogs/QLM/logging.qlmlogcontrolconfig",
                                         "Scrivo/LicensingLogs/QLM/qlm.log",
                                         "Scrivo/LicensingLogs/scrivoQLMLicenseLog.txt",
                                         "Scrivo/LicensingLogs/scrivoQLMLog.txt",
                                         "Scrivo/LicensingLogs/scrivocef_low/",
                                         "Scrivo/LicensingLogs/scrivocef_low/cef.log",
                                         "Scrivo/PropertyList/",
                                         "Scrivo/PropertyList/com.norvane.Scrivo.Pro.plist",
                                         "Scrivo/PropertyList/com.norvane.crashreporter.plist",
                                         "Scrivo/ScrivoLog/",
                                         "Scrivo/ScrivoLog/Crashes/",
                                         "Scrivo/ScrivoLog/Crashes/crash_1.dmp",
                                         "Scrivo/ScrivoLog/Scrivo.log",
                                         "Scrivo/ScrivoLog/Scrivo_previous.log",
                                         "Scrivo/ScrivoLog/latest.log -> Scrivo.log"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::treeListing(session), expected);
    EXPECT_EQ(test::readFile(session / "Scrivo/InstallLogs/scrivoUpdaterTools.log"), "tools: installed\n");

    // The preference file is collected while the switch is on, and reverted after.
    const fs::path preferences = sandbox.library() / "Preferences/com.norvane.Scrivo.Pro.plist";
    EXPECT_EQ(
        test::pythonPlist(session / "Scrivo/PropertyList/com.norvane.Scrivo.Pro.plist", "d['QX']['ScrivoLogging']"),
        "{'EnableScrivoLogging': [10, 7]}");
    EXPECT_EQ(test::pythonPlist(preferences, "'ScrivoLogging' in d['QX']"), "False");
    EXPECT_TRUE(errorsAndWarnings(sandbox, 0).empty());
    PListOperations::forgetStateForTesting();
}

TEST(Collectors, AMachineWithoutTheTargetsMaterialOnlyLogs)
{
    test::Sandbox sandbox;
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
    UtilityFunctions::scrivoOrGlance.set("Glance");
    const Session session = sessionFromSharedValues();
    const fs::path output = *session.output;
    const auto mark = sandbox.logMessages().size();

    EXPECT_FALSE(UtilityFunctions::GetPropertyList(session));
    EXPECT_TRUE(UtilityFunctions::GetLicensingLogs(session));
    EXPECT_TRUE(UtilityFunctions::GetInstallLogs(session, sandbox.folders().systemLog));
    UtilityFunctions::GetIPMLogs(session);

    EXPECT_EQ(test::treeListing(output), (std::vector<std::string>{"InstallLogs/", "LicensingLogs/"}));
    EXPECT_EQ(errorsAndWarnings(sandbox, mark), std::vector<std::string>(8, "ERROR: Error copying item"));
    EXPECT_NE(sandbox.logMessages().back().find("GlanceMessages"), std::string::npos) << sandbox.logText();
}

TEST(Collectors, AbsentWorkspaceValuesAreSkippedWithWarnings)
{
    test::Sandbox sandbox;
    const Session session{.bundleIdentifier = "com.norvane.Glance"};

    EXPECT_TRUE(UtilityFunctions::GetPropertyList(session));
    EXPECT_TRUE(UtilityFunctions::GetLicensingLogs(session));
    EXPECT_TRUE(UtilityFunctions::GetInstallLogs(session, sandbox.folders().systemLog));
    UtilityFunctions::GetIPMLogs(session);
    PListOperations::GetScrivoLogs(true, session);
    PListOperations::RevertScrivoLogPList(true, session);

    const std::string invalid = "WARNING: Invalid source or destination URL";
    std::vector<std::string> expected = {
        "WARNING: GetPropertyList: preferences or output folder not set, preference files not copied.",
        "WARNING: GetLicensingLogs: no output folder, nothing will be copied.",
        invalid,
        invalid,
        invalid,
        invalid,
        "WARNING: GetInstallLogs: no output folder, nothing will be copied.",
        invalid,
        invalid,
        invalid,
        invalid,
        "WARNING: GetScrivoLogs: no edition chosen, the target's log folder was not copied.",
        "WARNING: RevertScrivoLogPList: logging was never switched on, nothing to revert."};
    EXPECT_EQ(sandbox.logMessages(), expected);
}
