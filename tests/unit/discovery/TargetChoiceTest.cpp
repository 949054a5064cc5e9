#include "core/discovery/TargetChoice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/discovery/InstallationDiscovery.h"
#include "core/discovery/RunningInstances.h"
#include "platform/RunningApplications.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::Edition;

TEST(TargetChoice, ARunningEditionBeatsAnInstallationTheFullEditionTheFreeAndRefusalsAlert)
{
    using Outcome = TargetChoice::Outcome;
    const std::string scrivo = "com.norvane.Scrivo.Pro", glance = "com.norvane.Glance";
    enum Runs { none, fullRuns, freeRuns, bothRun, fullRunsTwice };
    struct Case {
        sample::Options installed;
        Runs runs;
        Outcome outcome;
        std::vector<std::string> found;  ///< ScrivoRunningInstance
        std::string flavour;             ///< of the last edition matched (full: Beta, free: QX)
        std::string edition;
    };
    const sample::Options nothing{.scrivo = false}, freeOnly{.scrivo = false, .glance = true},
        both{.glance = true, .scrivoVersion = "4.1.15", .glanceVersion = "4.1.20"};
    for (const Case& c : std::vector<Case>{{nothing, none, Outcome::none, {}, "Trunk", "Glance"},
                                           {both, none, Outcome::found, {scrivo}, "Beta", "Scrivo"},
                                           {freeOnly, none, Outcome::found, {glance}, "QX", "Glance"},
                                           {both, freeRuns, Outcome::found, {glance}, "QX", "Glance"},
                                           {both, fullRuns, Outcome::found, {scrivo}, "Beta", "Scrivo"},
                                           {both, fullRunsTwice, Outcome::found, {scrivo}, "Beta", "Scrivo"},
                                           {both, bothRun, Outcome::several, {scrivo, glance}, "QX", "Scrivo"}}) {
        SCOPED_TRACE(testing::Message() << c.runs << " " << c.flavour << " " << c.edition);
        test::Sandbox sandbox;
        const auto layout = sample::install(sandbox.root(), c.installed);
        std::vector<sample::RunningInstance> running;
        if (c.runs == fullRuns || c.runs == bothRun || c.runs == fullRunsTwice)
            running.emplace_back(layout.scrivoBundle);
        if (c.runs == freeRuns || c.runs == bothRun) running.emplace_back(layout.glanceBundle);
        if (c.runs == fullRunsTwice)
            running.emplace_back(
                sample::writeBundle(sandbox.home() / "Applications", sample::Edition::Scrivo, "4.1.15"));

        const TargetChoice choice = chooseTarget(sandbox.folders(), sandbox.ui(), "Trunk");
        EXPECT_EQ(choice.outcome, c.outcome);
        EXPECT_EQ(choice.runningInstance, c.found);
        EXPECT_EQ(choice.flavour, c.flavour);
        EXPECT_EQ(choice.installation.has_value(), running.empty() && c.outcome == Outcome::found);
        // The process of the last edition matched, of the first in process order among copies.
        pid_t pid = running.empty() ? 0 : running.back().pid();
        if (c.runs == fullRunsTwice) pid = std::min(running[0].pid(), running[1].pid());
        EXPECT_EQ(choice.processId, pid ? std::to_string(pid) : "");
        // Refusals alert (their texts are checked in the window's session flow).
        sandbox.ui().drain();
        EXPECT_EQ(sandbox.ui().alerts().size(), c.outcome == Outcome::found ? 0u : 1u);
        // The edition follows the first listed only, and its folder is made.
        EXPECT_EQ(choice.edition, c.edition);
        EXPECT_EQ(tarvix::SetScrivoOrGlance(choice.runningInstance, sandbox.root()), sandbox.root() / c.edition);
        EXPECT_TRUE(fs::is_directory(sandbox.root() / c.edition));
    }
}

TEST(RunningApplications, OnlyTheUsersOwnBundleProgramsInTheSandboxRunEvenOnceTheirFileIsDeleted)
{
    test::Sandbox sandbox;
    fs::permissions(sandbox.root(), fs::perms(0755));
    const auto layout = sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"});
    sample::RunningInstance scrivo(layout.scrivoBundle);
    // The same bundle run by another account, once as a set-user-id program of ours; a copy in
    // another sandbox.
    std::optional<sample::RunningInstance> others, setUid;
    if (::geteuid() == 0) {
        others.emplace(layout.scrivoBundle, 65534);
        setUid.emplace(layout.scrivoBundle, 65534, true);
    }
    test::TempDir elsewhere;
    sample::RunningInstance foreign(sample::install(elsewhere.path()).scrivoBundle);
    // An update that replaces the program while it runs leaves /proc/PID/exe "... (deleted)".
    fs::remove(layout.scrivoBundle / "Contents/MacOS/Scrivo");

    const auto applications = tarvix::platform::runningApplications(sandbox.folders());
    ASSERT_EQ(applications.size(), 1u);
    EXPECT_EQ(applications[0].processIdentifier, scrivo.pid());
    EXPECT_EQ(applications[0].bundleURL, layout.scrivoBundle);
    tarvix::platform::Folders unscoped = sandbox.folders();
    unscoped.runningApplicationsRoot.reset();
    EXPECT_TRUE(tarvix::IsProcessRunning(unscoped, std::to_string(foreign.pid())));

    // The exact text of a running application's id only.
    const std::string pid = std::to_string(scrivo.pid());
    EXPECT_TRUE(tarvix::IsProcessRunning(sandbox.folders(), pid));
    for (const std::string& other :
         {"0" + pid, " " + pid, std::to_string(::getpid()), std::to_string(foreign.pid()),
          others ? std::to_string(others->pid()) : "1", setUid ? std::to_string(setUid->pid()) : "1"})
        EXPECT_FALSE(tarvix::IsProcessRunning(sandbox.folders(), other)) << other;
    const auto found = tarvix::IsApplicationRunning(sandbox.folders(), "com.norvane.Scrivo.Pro", "Trunk");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->processId + " " + found->flavour.value_or("none"), pid + " Beta");
    scrivo.stop();
    EXPECT_FALSE(tarvix::IsApplicationRunning(sandbox.folders(), "com.norvane.Scrivo.Pro", "Trunk"));
}

TEST(InstallationDiscovery, FindsExactIdentifiersInFolderOrderThenNameOrder)
{
    test::Sandbox sandbox;
    const fs::path root = sandbox.root();
    const auto scrivoBundle = [](const fs::path& folder, const std::string& name) {
        fs::rename(sample::writeBundle(folder, Edition::Scrivo, "4.1.0"), folder / name);
        return folder / name;
    };
    // Folders in order (home, /Applications, /opt), names within one; a folder's own bundles
    // before those of its sub-folders.
    const std::vector<fs::path> found = {
        scrivoBundle(sandbox.home() / "Applications", "Scrivo.app"), scrivoBundle(root / "Applications", "A.app"),
        scrivoBundle(root / "Applications", "B.app"), scrivoBundle(root / "opt", "Zed.app"),
        scrivoBundle(root / "opt/Suite", "Scrivo.app")};
    // Near misses: another edition, a different case, a deeper folder, a folder without Info.plist.
    sample::writeBundle(root / "Applications", Edition::Glance, "4.1.0");
    test::writeFile(scrivoBundle(root / "opt", "Upper.app") / "Contents/Info.plist",
                    "<plist><dict><key>CFBundleIdentifier</key><string>com.norvane.scrivo.pro</string></dict></plist>");
    scrivoBundle(root / "opt/a/b", "Deep.app");
    fs::create_directories(root / "Applications/Empty.app");

    EXPECT_EQ(tarvix::getScrivoInstalledPath(sandbox.folders()), found);
    EXPECT_EQ(sandbox.logMessages().back(),
              "INFO: App url for bundle: com.norvane.Scrivo.Pro is: " + found.back().string());
}

TEST(FlavourFromAppVersion, FirstCharacterOfTheLastComponentDecidesAndAnUnreadableVersionGivesNone)
{
    test::Sandbox sandbox;
    const fs::path bundle = sandbox.root() / "Scrivo.app", plist = bundle / "Contents/Info.plist";
    const auto version = [&](const std::string& value) {
        test::writeFile(plist, "<plist><dict><key>CFBundleShortVersionString</key>" + value + "</dict></plist>");
    };
    std::vector<std::string> lines;
    for (const std::string row :
         {"4.1.20 QX", "3.9.2 QX", "4.1.15 Beta", "4.2.07 Trunk", "1.0 Trunk", " Trunk", "4.6 Trunk", "5 Trunk",
          "4.1.3 Trunk", "4.1. Trunk", "2 QX", "4.1.1b Beta", "2.1 Beta"}) {
        const std::string text = row.substr(0, row.find(' ')), expected = row.substr(row.find(' ') + 1);
        version("<string>" + text + "</string>");
        EXPECT_EQ(tarvix::FlavourFromAppVersion(bundle), expected) << text;
        lines.push_back("INFO: FlavourFromAppVersion:" + text + " flavour: " + expected);
    }
    // None, silently: a version that is no text, no property list, a pipe (which would block a
    // reader for ever), no bundle at all.
    version("<integer>4</integer>");
    EXPECT_FALSE(tarvix::FlavourFromAppVersion(bundle));
    test::writeFile(plist, "no plist");
    EXPECT_FALSE(tarvix::FlavourFromAppVersion(bundle));
    fs::remove(plist);
    ASSERT_EQ(::mkfifo(plist.c_str(), 0644), 0);
    EXPECT_FALSE(tarvix::FlavourFromAppVersion(bundle));
    EXPECT_FALSE(tarvix::FlavourFromAppVersion(sandbox.root() / "missing.app"));
    EXPECT_EQ(sandbox.logMessages(), lines);
}
