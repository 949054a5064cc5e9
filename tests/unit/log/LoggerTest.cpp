#include "core/log/Logger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "core/log/LoggerTesting.h"
#include "platform/UnifiedLog.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;

namespace {

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

TEST(Logger, LinesCarryPrefixUtcTimeAndMessage)
{
    Sandbox sandbox;
    const fs::path expected = sandbox.home() / ".cache/Logs/TarvixDebugOutput.log";
    ASSERT_EQ(Logger::logFileURL(), expected);
    EXPECT_FALSE(fs::exists(expected)) << "the file is made by the first entry, not by the set-up";

    Logger::logInfo("Directory created: System");
    Logger::logError("boom");
    Logger::logWarning("careful");
    Logger::log("banner", Logger::LogType::Debug);
    Logger::logInfo("");
    Logger::logInfo("closing \n\n");

    const std::string text = readFile(expected);
    const std::string time = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \+0000)";
    const std::regex whole("INFO: " + time + ": Directory created: System\n" + "ERROR: " + time + ": boom\n" +
                           "WARNING: " + time + ": careful\n" + time + ": banner\n" + "INFO: " + time + ": \n" +
                           "INFO: " + time + ": closing \n\n\n");
    EXPECT_TRUE(std::regex_match(text, whole)) << text;
    // The time is UTC whatever the zone: 25 characters.
    EXPECT_EQ(text.find(": Directory"), std::string("INFO: ").size() + 25);
}

TEST(Logger, WithoutFileLocationNothingIsWritten)
{
    Sandbox sandbox;
    Logger::forgetLogFileForTesting();
    testing::internal::CaptureStdout();
    Logger::logInfo("only to the journal");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(fs::exists(sandbox.home() / ".cache/Logs/TarvixDebugOutput.log"));
}

TEST(Logger, OwnFailuresGoToStandardOutput)
{
    Sandbox sandbox;
    // "Logs" cannot be made where a file stands.
    Logger::forgetLogFileForTesting();
    fs::remove_all(sandbox.home() / ".cache");
    writeFile(sandbox.home() / ".cache", "not a folder");
    testing::internal::CaptureStdout();
    Logger::setupLogFile(sandbox.folders().caches);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to create log directory: ", 0), 0u);
    EXPECT_FALSE(Logger::logFileURL());

    // An entry that cannot be appended still reaches the journal and is reported once.
    fs::remove(sandbox.home() / ".cache");
    fs::create_directories(sandbox.home() / ".cache/Logs/TarvixDebugOutput.log");
    Logger::setupLogFile(sandbox.folders().caches);
    const auto before = platform::unifiedLogStats();
    testing::internal::CaptureStdout();
    Logger::logInfo("lost line");
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to write to log file: ", 0), 0u);
    const auto after = platform::unifiedLogStats();
    EXPECT_EQ(after.queued + after.dropped, before.queued + before.dropped + 1);
}

TEST(Logger, MoveMergesWithOneEmptyLineBetweenRuns)
{
    Sandbox sandbox;
    const fs::path system = sandbox.root() / "System";
    writeFile(system / "TarvixDebugOutput.log", "INFO: earlier run\n");
    Logger::logInfo("this run");
    const fs::path old = *Logger::logFileURL();
    const std::string current = readFile(old);

    testing::internal::CaptureStdout();
    Logger::changeLogFileLocation(system);
    Logger::changeLogFileLocation(system);  // already there: nothing happens
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_FALSE(fs::exists(old));
    EXPECT_EQ(Logger::logFileURL(), system / "TarvixDebugOutput.log");
    Logger::logInfo("after the move");
    const std::string merged = readFile(system / "TarvixDebugOutput.log");
    EXPECT_EQ(merged.rfind("INFO: earlier run\n\n" + current, 0), 0u) << merged;
    EXPECT_NE(merged.find(": after the move\n"), std::string::npos);
}

TEST(Logger, MoveToNewFolderCopiesExactlyAndFailureKeepsOldFile)
{
    Sandbox sandbox;
    Logger::logInfo("first");
    Logger::logError("second");
    const fs::path old = *Logger::logFileURL();
    const std::string contents = readFile(old);

    const fs::path fresh = sandbox.root() / "Fresh";
    fs::create_directories(fresh);
    Logger::changeLogFileLocation(fresh);
    EXPECT_EQ(readFile(fresh / "TarvixDebugOutput.log"), contents);
    EXPECT_FALSE(fs::exists(old));

    // A folder that does not exist: the move fails, entries keep going to the same file.
    testing::internal::CaptureStdout();
    Logger::changeLogFileLocation(sandbox.root() / "missing/folder");
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to change log file location: ", 0), 0u);
    EXPECT_EQ(Logger::logFileURL(), fresh / "TarvixDebugOutput.log");
}

TEST(Logger, ConcurrentWritersNeverTearOrLoseALine)
{
    Sandbox sandbox;
    constexpr int kThreads = 8;
    constexpr int kEntries = 5000;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kEntries; ++i) {
                const std::string message = "writer " + std::to_string(t) + " entry " + std::to_string(i) +
                                            " padding-padding-padding-padding-padding-padding";
                switch (i % 3) {
                case 0: Logger::logInfo(message); break;
                case 1: Logger::logError(message); break;
                default: Logger::logWarning(message); break;
                }
            }
        });
    }
    for (auto& w : writers) w.join();

    std::set<std::pair<int, int>> seen;
    std::istringstream in(sandbox.logText());
    const std::regex line(
        R"(^(INFO|ERROR|WARNING): \d{4}-\d\d-\d\d \d\d:\d\d:\d\d \+0000: writer (\d+) entry (\d+) (padding-){5}padding$)");
    int count = 0;
    for (std::string text; std::getline(in, text); ++count) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, line)) << "torn line: " << text;
        ASSERT_TRUE(seen.emplace(std::stoi(m[2]), std::stoi(m[3])).second) << "duplicate: " << text;
    }
    EXPECT_EQ(count, kThreads * kEntries);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEntries));
}

TEST(UnifiedLog, AFullQueueDropsAndCountsWithoutBlocking)
{
    const auto before = platform::unifiedLogStats();
    constexpr int kEntries = 50000;
    for (int i = 0; i < kEntries; ++i) platform::sendToUnifiedLog(platform::LogType::Info, "s", "c", "INFO: %@", "x");
    const auto after = platform::unifiedLogStats();
    EXPECT_EQ((after.queued - before.queued) + (after.dropped - before.dropped), static_cast<std::uint64_t>(kEntries));
    platform::flushUnifiedLog();
}
