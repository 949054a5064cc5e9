#include "core/target/RunningInstances.h"

#include <gtest/gtest.h>

#include "core/target/InstallationDiscovery.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Applications.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
namespace UF = UtilityFunctions;

namespace {

/// What the start flow does before it decides to go on.
bool findRunningEditions()
{
    UF::ScrivoRunningInstance.set({});
    for (const std::string& identifier : UF::ScrivoBundleIndentifiers)
        if (UF::IsApplicationRunning(identifier))
            UF::ScrivoRunningInstance.update([&](auto& list) { list.push_back(identifier); });
    return UF::IsMultipleInstance();
}

const std::string kGlanceNotFound = "WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Glance";

}  // namespace

TEST(RunningInstances, NoneRunningWhetherInstalledOrNot)
{
    for (const bool installed : {true, false}) {
        test::Sandbox sandbox;
        if (installed) sample::install(sandbox.root(), {.scrivo = true, .glance = true});
        EXPECT_FALSE(findRunningEditions());
        EXPECT_TRUE(UF::ScrivoRunningInstance.get().empty());
        EXPECT_EQ(UF::ProcessId.get(), "");
        EXPECT_EQ(UF::flavour.get(), "Trunk");
        EXPECT_EQ(sandbox.logMessages(),
                  (std::vector<std::string>{
                      "WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Scrivo.Pro",
                      kGlanceNotFound}));
        EXPECT_TRUE(sandbox.ui().alerts().empty());
    }
}

TEST(RunningInstances, FullEditionRunningRecordsItsProcessAndFlavour)
{
    test::Sandbox sandbox;
    sample::RunningInstance scrivo(sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"}).scrivoBundle);
    const std::string pid = std::to_string(scrivo.pid());

    EXPECT_FALSE(findRunningEditions());
    EXPECT_EQ(UF::ScrivoRunningInstance.get(), (std::vector<std::string>{"com.norvane.Scrivo.Pro"}));
    EXPECT_EQ(UF::ProcessId.get(), pid);
    EXPECT_EQ(UF::flavour.get(), "Beta");
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: FlavourFromAppVersion:4.1.15 flavour: Beta",
                                        "INFO: Scrivo running instance found. BundleIdentifier: com.norvane.Scrivo.Pro",
                                        kGlanceNotFound}));
    EXPECT_TRUE(sandbox.ui().alerts().empty());

    EXPECT_TRUE(UF::IsProcessRunning(pid));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Scrivo process is running. ProcessId: " + pid);
    // Exact text only, and a process outside any bundle is not an application.
    EXPECT_FALSE(UF::IsProcessRunning("0" + pid));
    EXPECT_FALSE(UF::IsProcessRunning(" " + pid));
    EXPECT_FALSE(UF::IsProcessRunning(std::to_string(getpid())));

    scrivo.stop();
    EXPECT_FALSE(UF::IsProcessRunning(pid));
    EXPECT_EQ(sandbox.logMessages().back(), "WARNING: Scrivo process is not running. ProcessId: " + pid);
    // ProcessId and flavour keep the last match once it is gone.
    EXPECT_FALSE(UF::IsApplicationRunning("com.norvane.Scrivo.Pro"));
    EXPECT_EQ(UF::ProcessId.get(), pid);
    EXPECT_EQ(UF::flavour.get(), "Beta");
}

TEST(RunningInstances, BothEditionsRunningAskForOneWithAnAlert)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(
        sandbox.root(), {.scrivo = true, .glance = true, .scrivoVersion = "4.1.15", .glanceVersion = "4.1.20"});
    sample::RunningInstance scrivo(layout.scrivoBundle);
    sample::RunningInstance glance(layout.glanceBundle);

    EXPECT_TRUE(findRunningEditions());
    EXPECT_EQ(UF::ScrivoRunningInstance.get(),
              (std::vector<std::string>{"com.norvane.Scrivo.Pro", "com.norvane.Glance"}));
    // The free edition is matched last, so its values stay.
    EXPECT_EQ(UF::ProcessId.get(), std::to_string(glance.pid()));
    EXPECT_EQ(UF::flavour.get(), "QX");

    sandbox.ui().drain();
    const auto alerts = sandbox.ui().alerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "Multiple instances of Scrivo detected");
    EXPECT_EQ(alerts[0].message,
              "Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.");
    EXPECT_EQ(alerts[0].buttonTitle, "OK");
}

TEST(RunningInstances, TwoCopiesOfOneEditionCountOnceAndTheFirstListedWins)
{
    test::Sandbox sandbox;
    sample::RunningInstance first(sample::install(sandbox.root()).scrivoBundle);
    sample::RunningInstance other(
        sample::writeBundle(sandbox.home() / "Applications", sample::Edition::Scrivo, "4.1.15"));

    EXPECT_FALSE(findRunningEditions());
    EXPECT_EQ(UF::ScrivoRunningInstance.get().size(), 1u);
    EXPECT_EQ(UF::ProcessId.get(), std::to_string(std::min(first.pid(), other.pid())));
    EXPECT_TRUE(sandbox.ui().alerts().empty());
}

TEST(RunningApplications, ScanSeesBundleProgramsEvenAfterTheirFileIsDeletedButOnlyInItsSandbox)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(sandbox.root());
    sample::RunningInstance scrivo(layout.scrivoBundle);
    // An update that replaces the program while it runs leaves /proc/PID/exe "... (deleted)".
    fs::remove(layout.scrivoBundle / "Contents" / "MacOS" / "Scrivo");

    const auto applications = platform::runningApplications(platform::current().folders);
    const auto found = std::find_if(applications.begin(), applications.end(), [&](const auto& application) {
        return application.processIdentifier == scrivo.pid();
    });
    ASSERT_NE(found, applications.end());
    EXPECT_EQ(found->bundleIdentifier, "com.norvane.Scrivo.Pro");
    EXPECT_EQ(found->bundleURL, layout.scrivoBundle);
    EXPECT_TRUE(std::is_sorted(applications.begin(), applications.end(),
                               [](const auto& a, const auto& b) { return a.processIdentifier < b.processIdentifier; }));

    // Another sandbox's instances are invisible until the scan is unscoped.
    test::TempDir elsewhere;
    sample::RunningInstance foreign(sample::install(elsewhere.path()).scrivoBundle);
    scrivo.stop();
    EXPECT_FALSE(UF::IsApplicationRunning("com.norvane.Scrivo.Pro"));
    EXPECT_FALSE(UF::IsProcessRunning(std::to_string(foreign.pid())));
    platform::Platform unscoped = sandbox.platform();
    unscoped.folders.runningApplicationsRoot.reset();
    sandbox.reinstall(unscoped);
    EXPECT_TRUE(UF::IsProcessRunning(std::to_string(foreign.pid())));
}
