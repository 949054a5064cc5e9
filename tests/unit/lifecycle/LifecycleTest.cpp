#include "core/lifecycle/Lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/collect/PListOperationsTesting.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/log/Logger.h"
#include "core/log/LoggerTesting.h"
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

TEST(Lifecycle, FailedWorkspaceKeepsTheLogInCachesAndStillStarts)
{
    Sandbox sandbox;
    tarvix::Logger::forgetLogFileForTesting();
    tarvix::test::writeFile(sandbox.library() / "Tarvix/Output", "in the way");

    const auto window = tarvix::TarvixApp::startUp(sandbox.folders());
    EXPECT_TRUE(window.isOutputDirectoryCreated) << "the first window makes no second workspace";
    EXPECT_FALSE(window.workspace);
    EXPECT_EQ(tarvix::Logger::logFileURL(), sandbox.home() / ".cache/Logs/TarvixDebugOutput.log");
    const auto lines = sandbox.logMessages();
    EXPECT_EQ(std::vector(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"ERROR: Failed to create the initial directories.",
                                        "ERROR: Application terminated"}));
}

TEST(StartSession, TheSessionHoldsWhatItsStepsNeedAndNothingOfAnEarlierOne)
{
    Sandbox sandbox;
    EXPECT_EQ(tarvix::startSession(sandbox.platform(), std::nullopt).error(), tarvix::TargetChoice::Outcome::none);
    const auto layout = tarvix::sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"});
    const auto workspace = tarvix::TarvixApp::startUp(sandbox.folders()).workspace;
    ASSERT_TRUE(workspace);
    const fs::path folder = workspace->tempTimeStampedURL;
    tarvix::sample::RunningInstance scrivo(layout.scrivoBundle);
    const auto first = tarvix::startSession(sandbox.platform(), workspace);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first->processId, std::to_string(scrivo.pid()));
    EXPECT_EQ(first->output, folder / "Scrivo");
    EXPECT_EQ(first->flavour, "Beta");
    EXPECT_TRUE(first->loggingSwitch);

    // The next start, nothing running: no pid of the earlier one, no folder below its folder.
    scrivo.stop();
    const auto next = tarvix::startSession(sandbox.platform(), workspace);
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(next->processId, "");
    EXPECT_EQ(next->output, folder / "Scrivo");
    // The run is killed with the switch on: the next run's start-up reverts it.
    tarvix::PListOperations::forgetStateForTesting();
    tarvix::TarvixApp::startUp(sandbox.folders());
    EXPECT_EQ(tarvix::test::pythonPlist(layout.preferences / "com.norvane.Scrivo.Pro.plist",
                                        "d['Beta'].get('ScrivoLogging')"),
              "None");
}
