#include "core/lifecycle/Lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/collect/Collectors.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/log/Logger.h"
#include "core/log/LoggerTesting.h"
#include "core/package/Packaging.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;

TEST(Lifecycle, OneLogAcrossRunsAndWindowsAndOneWorkspacePerWindow)
{
    Sandbox sandbox;
    tarvix::Logger::forgetLogFileForTesting();
    const fs::path log = sandbox.library() / "Tarvix/System/TarvixDebugOutput.log";
    tarvix::test::writeFile(log, "INFO: 2020-01-01 00:00:00 +0000: earlier run\n");

    const auto first = tarvix::TarvixApp::startUp(sandbox.folders());
    ASSERT_TRUE(first.isOutputDirectoryCreated && first.workspace);
    EXPECT_EQ(tarvix::Logger::logFileURL(), log);
    auto lines = sandbox.logMessages();
    const std::string directory = "INFO: Tarvix Directory: " + (sandbox.library() / "Tarvix").string();
    lines.resize(4);
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "INFO: earlier run", "----------------------------Application Started----------------------------",
                  directory, "INFO: Directory created: " + first.workspace->tempTimeStampedURL.string()}));
    EXPECT_NE(tarvix::test::readFile(log).find("earlier run\n\n"), std::string::npos) << "one empty line between runs";

    tarvix::TarvixApp::windowClosed();
    const std::string closing = "--------------onDisappear triggered, application closed-------------- \n\n\n";
    EXPECT_TRUE(tarvix::test::readFile(log).ends_with(closing)) << "the close banner leaves two empty lines";
    tarvix::TarvixApp::WindowWorkspace reopened;
    for (int press = 0; press < 2; ++press)
        tarvix::TarvixApp::recreateWorkspaceIfReopened(sandbox.folders(), reopened);  // a retry
    EXPECT_TRUE(reopened.workspace);
    lines = sandbox.logMessages();
    const std::string restarted = "--------------Application restarted without quitting--------------";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), restarted), 1) << "one workspace per window";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), directory), 2);
}

TEST(Lifecycle, APartlyMadeWorkspaceKeepsTheLogInCachesAndLaterStepsUseTheFoldersThatExist)
{
    for (const std::string blocked : {"Output", "System", "temp"}) {  // the folder that cannot be made
        SCOPED_TRACE(blocked);
        Sandbox sandbox;
        tarvix::sample::install(sandbox.root());
        const fs::path root = sandbox.library() / "Tarvix";
        const bool sessionFolder = blocked != "Output";
        tarvix::test::writeFile(sessionFolder ? root / "Output/earlier.log" : root / "Output", "in the way");
        if (blocked == "temp") fs::create_directories(root / "System");
        fs::permissions(root, fs::perms(0700));
        std::optional<tarvix::test::Undeletable> locked;  // takes no new name either
        if (sessionFolder && !locked.emplace(root).ok()) GTEST_SKIP() << "this file system cannot lock a folder";
        const auto window = tarvix::TarvixApp::startUp(sandbox.folders());
        locked.reset();
        ASSERT_TRUE(window.isOutputDirectoryCreated && window.workspace) << "the locations travel with the failure";
        EXPECT_EQ(tarvix::Logger::logFileURL(), sandbox.home() / ".cache/Logs/TarvixDebugOutput.log");
        const auto lines = sandbox.logMessages();
        EXPECT_EQ(std::vector(lines.end() - 2, lines.end()),
                  (std::vector<std::string>{"ERROR: Failed to create the initial directories.",
                                            "ERROR: Application terminated"}));
        // Start, the collectors and the share's pruning use the session folder where it exists.
        auto session = tarvix::startSession(sandbox.platform(), window.workspace, *window.flavour);
        ASSERT_TRUE(session.ok()) << "an edition folder that cannot be made is only logged";
        EXPECT_EQ(sandbox.logText().find(": Failed to create directory: ") == std::string::npos, sessionFolder);
        EXPECT_EQ(session->loggingSwitch != nullptr, blocked == "temp") << "its record is kept in System";
        EXPECT_EQ(tarvix::GetPropertyList(*session).ok(), sessionFolder);
        EXPECT_EQ(fs::exists(*session->output / "PropertyList/com.norvane.Scrivo.Pro.plist"), sessionFolder);
        if (!sessionFolder) continue;
        tarvix::test::writeFile(*session->output / "setup.exe");
        EXPECT_EQ(tarvix::archiveForUpload(sandbox.folders(), *session, true, "", "it broke").upload.error(),
                  tarvix::ArchiveRefusal::notBuilt)
            << "no scratch folder";
        EXPECT_FALSE(fs::exists(*session->output / "setup.exe")) << "pruned";
    }
}

TEST(StartSession, TheSessionHoldsWhatItsStepsNeedAndNothingOfAnEarlierOne)
{
    Sandbox sandbox;
    const auto window = tarvix::TarvixApp::startUp(sandbox.folders());
    auto& flavour = *window.flavour;
    EXPECT_EQ(tarvix::startSession(sandbox.platform(), std::nullopt, flavour).error(),
              tarvix::TargetChoice::Outcome::none);
    const auto layout = tarvix::sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"});
    const auto& workspace = window.workspace;
    ASSERT_TRUE(workspace);
    const fs::path folder = workspace->tempTimeStampedURL;
    tarvix::sample::RunningInstance scrivo(layout.scrivoBundle);
    const auto first = tarvix::startSession(sandbox.platform(), workspace, flavour);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->processId, std::to_string(scrivo.pid()));
    EXPECT_EQ(first->output, folder / "Scrivo");
    EXPECT_EQ(first->flavour, "Beta");
    EXPECT_TRUE(first->loggingSwitch);

    // The next start, nothing running: no pid of the earlier one, no folder below its folder.
    scrivo.stop();
    const auto next = tarvix::startSession(sandbox.platform(), workspace, flavour);
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(next->processId, "");
    EXPECT_EQ(next->output, folder / "Scrivo");
    // A window opened later finds the bundle's version unreadable: the flavour learned stays.
    tarvix::test::writeFile(layout.scrivoBundle / "Contents/Info.plist",
                            "<plist><dict><key>CFBundleIdentifier</key><string>com.norvane.Scrivo.Pro</string>"
                            "</dict></plist>");
    const auto reopened = tarvix::TarvixApp::nextWindow(window);
    EXPECT_EQ(tarvix::startSession(sandbox.platform(), workspace, *reopened.flavour)->flavour, "Beta");
    // The run is killed with the switch on: the next run's start-up reverts it.
    tarvix::PListOperations::forgetStateForTesting();
    tarvix::TarvixApp::startUp(sandbox.folders());
    EXPECT_EQ(tarvix::test::pythonPlist(layout.preferences / "com.norvane.Scrivo.Pro.plist",
                                        "d['Beta'].get('ScrivoLogging')"),
              "None");
}
