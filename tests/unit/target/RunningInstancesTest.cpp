#include "core/target/RunningInstances.h"

#include <gtest/gtest.h>

#include "core/target/InstallationDiscovery.h"
#include "core/target/TargetChoice.h"
#include "core/workspace/SharedValues.h"
#include "platform/RunningApplications.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
namespace UF = UtilityFunctions;

namespace {

/// What the start flow does before it decides to go on.
bool findRunningEditions(const test::Sandbox& sandbox)
{
    UF::ScrivoRunningInstance.set({});
    for (const std::string& identifier : UF::ScrivoBundleIndentifiers)
        if (UF::IsApplicationRunning(sandbox.folders(), identifier))
            UF::ScrivoRunningInstance.update([&](auto& list) { list.push_back(identifier); });
    return UF::IsMultipleInstance(UF::ScrivoRunningInstance.get(), sandbox.ui());
}

const std::string kGlanceNotFound = "WARNING: Scrivo running instance not found. BundleIdentifier: com.norvane.Glance";

}  // namespace

TEST(RunningInstances, NoneRunningWhetherInstalledOrNot)
{
    for (const bool installed : {true, false}) {
        test::Sandbox sandbox;
        if (installed) sample::install(sandbox.root(), {.scrivo = true, .glance = true});
        EXPECT_FALSE(findRunningEditions(sandbox));
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

    EXPECT_FALSE(findRunningEditions(sandbox));
    EXPECT_EQ(UF::ScrivoRunningInstance.get(), (std::vector<std::string>{"com.norvane.Scrivo.Pro"}));
    EXPECT_EQ(UF::ProcessId.get(), pid);
    EXPECT_EQ(UF::flavour.get(), "Beta");
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: FlavourFromAppVersion:4.1.15 flavour: Beta",
                                        "INFO: Scrivo running instance found. BundleIdentifier: com.norvane.Scrivo.Pro",
                                        kGlanceNotFound}));
    EXPECT_TRUE(sandbox.ui().alerts().empty());

    EXPECT_TRUE(UF::IsProcessRunning(sandbox.folders(), pid));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Scrivo process is running. ProcessId: " + pid);
    // Exact text only, and a process outside any bundle is not an application.
    EXPECT_FALSE(UF::IsProcessRunning(sandbox.folders(), "0" + pid));
    EXPECT_FALSE(UF::IsProcessRunning(sandbox.folders(), " " + pid));
    EXPECT_FALSE(UF::IsProcessRunning(sandbox.folders(), std::to_string(getpid())));

    scrivo.stop();
    EXPECT_FALSE(UF::IsProcessRunning(sandbox.folders(), pid));
    EXPECT_EQ(sandbox.logMessages().back(), "WARNING: Scrivo process is not running. ProcessId: " + pid);
    // ProcessId and flavour keep the last match once it is gone.
    EXPECT_FALSE(UF::IsApplicationRunning(sandbox.folders(), "com.norvane.Scrivo.Pro"));
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

    EXPECT_TRUE(findRunningEditions(sandbox));
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

    EXPECT_FALSE(findRunningEditions(sandbox));
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

    const auto applications = platform::runningApplications(sandbox.folders());
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
    EXPECT_FALSE(UF::IsApplicationRunning(sandbox.folders(), "com.norvane.Scrivo.Pro"));
    EXPECT_FALSE(UF::IsProcessRunning(sandbox.folders(), std::to_string(foreign.pid())));
    platform::Folders unscoped = sandbox.folders();
    unscoped.runningApplicationsRoot.reset();
    EXPECT_TRUE(UF::IsProcessRunning(unscoped, std::to_string(foreign.pid())));
}

TEST(TargetChoice, ARunningEditionBeatsAnInstallationTheFullEditionTheFreeAndRefusalsAlert)
{
    using Outcome = TargetChoice::Outcome;
    const std::string scrivo = "com.norvane.Scrivo.Pro", glance = "com.norvane.Glance";
    struct Case {
        const char* name;
        sample::Options installed;
        bool runScrivo, runGlance;
        Outcome outcome;
        std::vector<std::string> found;
        std::vector<std::string> decisions;  ///< INFO lines in order, but the found instances and bundles
        std::string alert;
    };
    const sample::Options none{.scrivo = false}, free{.scrivo = false, .glance = true};
    const sample::Options both{.glance = true, .scrivoVersion = "4.1.15", .glanceVersion = "4.1.20"};
    const std::vector<Case> cases = {
        {"nothing",
         none,
         false,
         false,
         Outcome::none,
         {},
         {"ScrivoRunningInstance.isEmpty", "scrivoInstalledUrls.isEmpty", "glanceInstalledUrls.isEmpty"},
         "No Scrivo installation detected"},
        {"free running, full installed",
         both,
         false,
         true,
         Outcome::found,
         {glance},
         {"FlavourFromAppVersion:4.1.20 flavour: QX"},
         ""},
        {"both installed",
         both,
         false,
         false,
         Outcome::found,
         {scrivo},
         {"ScrivoRunningInstance.isEmpty", "Scrivo installation found.", "FlavourFromAppVersion:4.1.15 flavour: Beta"},
         ""},
        {"free installed",
         free,
         false,
         false,
         Outcome::found,
         {glance},
         {"ScrivoRunningInstance.isEmpty", "scrivoInstalledUrls.isEmpty", "Glance installation found.",
          "FlavourFromAppVersion:4.1.20 flavour: QX"},
         ""},
        {"both running",
         both,
         true,
         true,
         Outcome::several,
         {scrivo, glance},
         {"FlavourFromAppVersion:4.1.15 flavour: Beta", "FlavourFromAppVersion:4.1.20 flavour: QX",
          "Scrivo multiple running instances."},
         "Multiple instances of Scrivo detected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::Sandbox sandbox;
        const auto layout = sample::install(sandbox.root(), c.installed);
        std::optional<sample::RunningInstance> scrivoInstance, glanceInstance;
        if (c.runScrivo) scrivoInstance.emplace(layout.scrivoBundle);
        if (c.runGlance) glanceInstance.emplace(layout.glanceBundle);

        const TargetChoice choice = chooseTarget(sandbox.folders(), sandbox.ui());
        EXPECT_EQ(choice.outcome, c.outcome);
        EXPECT_EQ(choice.runningInstance, c.found);
        EXPECT_EQ(UF::ScrivoRunningInstance.get(), c.found);
        const bool fromInstallation = !c.runScrivo && !c.runGlance && c.outcome == Outcome::found;
        EXPECT_EQ(choice.installation.has_value(), fromInstallation);

        std::vector<std::string> decisions;
        for (const std::string& line : sandbox.logMessages())
            if (line.rfind("INFO: ", 0) == 0 && line.find("running instance found") == std::string::npos &&
                line.find("App url for bundle") == std::string::npos)
                decisions.push_back(line.substr(6));
        EXPECT_EQ(decisions, c.decisions);
        sandbox.ui().drain();
        const auto alerts = sandbox.ui().alerts();
        EXPECT_EQ(alerts.empty() ? std::string() : alerts.front().title, c.alert);
        EXPECT_LE(alerts.size(), 1u);
    }
}
