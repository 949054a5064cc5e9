#include <gtest/gtest.h>

#include "core/target/InstallationDiscovery.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Applications.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::Edition;

namespace {

/// What the start flow does before it decides to go on.
bool findRunningEditions()
{
    UtilityFunctions::ScrivoRunningInstance.set({});
    for (const std::string& identifier : UtilityFunctions::ScrivoBundleIndentifiers)
        if (UtilityFunctions::IsApplicationRunning(identifier))
            UtilityFunctions::ScrivoRunningInstance.update([&](auto& list) { list.push_back(identifier); });
    return UtilityFunctions::IsMultipleInstance();
}

}  // namespace

TEST(RunningInstances, InstalledButNotRunning)
{
    test::Sandbox sandbox;
    sample::install(sandbox.root(), {.scrivo = true, .glance = true});

    EXPECT_FALSE(findRunningEditions());
    EXPECT_TRUE(UtilityFunctions::ScrivoRunningInstance.get().empty());
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), "");
    EXPECT_EQ(UtilityFunctions::flavour.get(), "Trunk");
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Scrivo.Pro",
                                        "WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Glance"}));
    EXPECT_TRUE(sandbox.ui().alerts().empty());
}

TEST(RunningInstances, FullEditionRunningRecordsItsProcessAndFlavour)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"});
    sample::RunningInstance scrivo(layout.scrivoBundle);

    EXPECT_FALSE(findRunningEditions());
    EXPECT_EQ(UtilityFunctions::ScrivoRunningInstance.get(), (std::vector<std::string>{"com.norvane.Scrivo.Pro"}));
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(scrivo.pid()));
    EXPECT_EQ(UtilityFunctions::flavour.get(), "Beta");
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: FlavourFromAppVersion:4.1.15 flavour: Beta",
                                        "INFO: Scrivo running instance found. BundleIdentifier: com.norvane.Scrivo.Pro",
                                        "WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Glance"}));
    EXPECT_TRUE(sandbox.ui().alerts().empty());

    const std::string pid = std::to_string(scrivo.pid());
    EXPECT_TRUE(UtilityFunctions::IsProcessRunning(pid));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Scrivo process is running. ProcessId: " + pid);
    // Exact text only.
    EXPECT_FALSE(UtilityFunctions::IsProcessRunning("0" + pid));
    EXPECT_FALSE(UtilityFunctions::IsProcessRunning(" " + pid));
    // A process outside any bundle is not an application.
    EXPECT_FALSE(UtilityFunctions::IsProcessRunning(std::to_string(getpid())));

    scrivo.stop();
    EXPECT_FALSE(UtilityFunctions::IsProcessRunning(pid));
    EXPECT_EQ(sandbox.logMessages().back(), "WARNING: Scrivo process is not running. ProcessId: " + pid);
    // ProcessId and flavour keep the last match once it is gone.
    EXPECT_FALSE(UtilityFunctions::IsApplicationRunning("com.norvane.Scrivo.Pro"));
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), pid);
    EXPECT_EQ(UtilityFunctions::flavour.get(), "Beta");
}

TEST(RunningInstances, GlanceRunningAloneIsTheFreeEdition)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(sandbox.root(), {.scrivo = true, .glance = true, .glanceVersion = "4.1.22"});
    sample::RunningInstance glance(layout.glanceBundle);
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories());

    EXPECT_FALSE(findRunningEditions());
    UtilityFunctions::SetScrivoOrGlance();
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(glance.pid()));
    EXPECT_EQ(UtilityFunctions::flavour.get(), "QX");
    EXPECT_EQ(UtilityFunctions::scrivoOrGlance.get(), "Glance");
    EXPECT_EQ(UtilityFunctions::tempOutputURL.get()->filename(), "Glance");
}

TEST(RunningInstances, BothEditionsRunningAskForOneWithAnAlert)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(sandbox.root(), {.scrivo = true, .glance = true, .scrivoVersion = "4.1.15",
                                                         .glanceVersion = "4.1.20"});
    sample::RunningInstance scrivo(layout.scrivoBundle);
    sample::RunningInstance glance(layout.glanceBundle);

    EXPECT_TRUE(findRunningEditions());
    EXPECT_EQ(UtilityFunctions::ScrivoRunningInstance.get(),
              (std::vector<std::string>{"com.norvane.Scrivo.Pro", "com.norvane.Glance"}));
    // The free edition is matched last, so its values stay.
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(glance.pid()));
    EXPECT_EQ(UtilityFunctions::flavour.get(), "QX");

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
    const auto layout = sample::install(sandbox.root());
    const fs::path second = sample::writeBundle(sandbox.home() / "Applications", Edition::Scrivo, "4.1.15");
    sample::RunningInstance first(layout.scrivoBundle);
    sample::RunningInstance other(second);

    EXPECT_FALSE(findRunningEditions());
    EXPECT_EQ(UtilityFunctions::ScrivoRunningInstance.get().size(), 1u);
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(std::min(first.pid(), other.pid())));
    EXPECT_TRUE(sandbox.ui().alerts().empty());
}

TEST(RunningApplications, ScanSeesBundleProgramsEvenAfterTheirFileIsDeleted)
{
    test::Sandbox sandbox;
    const auto layout = sample::install(sandbox.root());
    sample::RunningInstance scrivo(layout.scrivoBundle);
    // An update that replaces the program while it runs leaves /proc/PID/exe "... (deleted)".
    fs::remove(layout.scrivoBundle / "Contents" / "MacOS" / "Scrivo");

    const auto applications = platform::runningApplications(platform::current().folders);
    const auto found = std::find_if(applications.begin(), applications.end(),
                                    [&](const auto& application) { return application.processIdentifier == scrivo.pid(); });
    ASSERT_NE(found, applications.end());
    EXPECT_EQ(found->bundleIdentifier, "com.norvane.Scrivo.Pro");
    EXPECT_EQ(found->bundleURL, layout.scrivoBundle);
    EXPECT_TRUE(std::is_sorted(applications.begin(), applications.end(),
                               [](const auto& a, const auto& b) { return a.processIdentifier < b.processIdentifier; }));
}

TEST(RunningApplications, ASandboxSeesOnlyItsOwnInstances)
{
    test::Sandbox sandbox;
    test::TempDir elsewhere;
    const auto layout = sample::install(elsewhere.path());
    sample::RunningInstance foreign(layout.scrivoBundle);

    EXPECT_FALSE(UtilityFunctions::IsApplicationRunning("com.norvane.Scrivo.Pro"));
    EXPECT_FALSE(UtilityFunctions::IsProcessRunning(std::to_string(foreign.pid())));

    platform::Platform unscoped = sandbox.platform();
    unscoped.folders.runningApplicationsRoot.reset();
    sandbox.reinstall(unscoped);
    EXPECT_TRUE(UtilityFunctions::IsProcessRunning(std::to_string(foreign.pid())));
}
