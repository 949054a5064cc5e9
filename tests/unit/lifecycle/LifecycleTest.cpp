#include "core/lifecycle/Lifecycle.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/collect/PListOperations.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/log/Logger.h"
#include "core/log/LoggerTesting.h"
#include "core/workspace/SharedValues.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
namespace UF = UtilityFunctions;

namespace {
const std::string kStartBanner = "----------------------------Application Started----------------------------";

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(Lifecycle, StartUpMovesTheLogIntoTheWorkspaceAndAppendsToEarlierRuns)
{
    Sandbox sandbox;
    Logger::forgetLogFileForTesting();
    const fs::path system = sandbox.library() / "Tarvix/System";
    fs::create_directories(system);
    std::ofstream(system / "TarvixDebugOutput.log") << "INFO: 2020-01-01 00:00:00 +0000: earlier run\n";

    TarvixApp::startUp(sandbox.folders());
    EXPECT_TRUE(UF::isOutputDirectoryCreated);
    EXPECT_EQ(Logger::logFileURL(), system / "TarvixDebugOutput.log");
    EXPECT_FALSE(fs::exists(sandbox.home() / ".cache/Logs/TarvixDebugOutput.log"));

    const auto lines = sandbox.logMessages();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "INFO: earlier run");
    EXPECT_EQ(lines[1], kStartBanner);
    EXPECT_EQ(lines[2], "INFO: Tarvix Directory: " + (sandbox.library() / "Tarvix").string());
    EXPECT_EQ(lines[3], "INFO: Directory created: " + UF::tempTimeStampedURL.get()->string());
    EXPECT_NE(readFile(system / "TarvixDebugOutput.log").find("earlier run\n\n"), std::string::npos)
        << "one empty line between runs";
    EXPECT_EQ(kStartBanner.size(), 75u);
}

TEST(Lifecycle, FailedWorkspaceKeepsTheLogInCachesAndStillStarts)
{
    Sandbox sandbox;
    Logger::forgetLogFileForTesting();
    fs::create_directories(sandbox.library() / "Tarvix");
    std::ofstream(sandbox.library() / "Tarvix/Output") << "in the way";

    TarvixApp::startUp(sandbox.folders());
    EXPECT_TRUE(UF::isOutputDirectoryCreated);
    EXPECT_EQ(Logger::logFileURL(), sandbox.home() / ".cache/Logs/TarvixDebugOutput.log");
    const auto lines = sandbox.logMessages();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "ERROR: Failed to create the initial directories.");
    EXPECT_EQ(lines[3], "ERROR: Application terminated");
}

TEST(Lifecycle, ClosingAndReopeningStartsANewSessionInTheSameLog)
{
    Sandbox sandbox;
    Logger::forgetLogFileForTesting();
    TarvixApp::startUp(sandbox.folders());
    const fs::path log = *Logger::logFileURL();

    TarvixApp::recreateWorkspaceIfReopened(sandbox.folders());  // window still open: nothing
    TarvixApp::windowClosed();
    EXPECT_FALSE(UF::isOutputDirectoryCreated);
    EXPECT_NE(readFile(log).find("INFO: "), std::string::npos);
    const std::string text = readFile(log);
    const std::string closing = "--------------onDisappear triggered, application closed-------------- \n\n\n";
    ASSERT_GE(text.size(), closing.size());
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing) << "the close banner leaves two empty lines";

    const auto before = sandbox.logMessages().size();
    TarvixApp::recreateWorkspaceIfReopened(sandbox.folders());
    auto lines = sandbox.logMessages();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(before));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "--------------Application restarted without quitting--------------");
    EXPECT_EQ(lines[1], "INFO: Tarvix Directory: " + (sandbox.library() / "Tarvix").string());
    EXPECT_EQ(Logger::logFileURL(), log) << "the log stays in System";
}

TEST(StartSession, TheSessionHoldsWhatItsStepsNeedAndARefusalMakesNone)
{
    Sandbox sandbox;
    EXPECT_FALSE(tarvix::startSession(sandbox.platform(), true)) << "nothing installed";

    const auto layout = tarvix::sample::install(sandbox.root(), {.scrivoVersion = "4.1.15"});
    tarvix::sample::RunningInstance scrivo(layout.scrivoBundle);
    TarvixApp::startUp(sandbox.folders());
    const fs::path folder = *UF::tempTimeStampedURL.get();
    const auto session = tarvix::startSession(sandbox.platform(), true);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->folder, folder);
    EXPECT_EQ(session->output, folder / "Scrivo");
    EXPECT_TRUE(fs::is_directory(folder / "Scrivo"));
    EXPECT_EQ(session->scratch, sandbox.library() / "Tarvix/temp");
    EXPECT_EQ(session->system, sandbox.library() / "Tarvix/System");
    EXPECT_EQ(session->library, sandbox.library());
    EXPECT_EQ(session->bundleIdentifier, "com.norvane.Scrivo.Pro");
    EXPECT_EQ(session->edition, "Scrivo");
    EXPECT_EQ(session->flavour, "Beta");
    EXPECT_EQ(session->processId, std::to_string(scrivo.pid()));
    EXPECT_EQ(session->preferenceFile, layout.preferences / "com.norvane.Scrivo.Pro.plist");
    EXPECT_EQ(tarvix::test::pythonPlist(*session->preferenceFile, "d['Beta']['ScrivoLogging']"),
              "{'EnableScrivoLogging': [10, 7]}");
    EXPECT_FALSE(session->archive);
    PListOperations::RevertScrivoLogPList(true, *session);
}
