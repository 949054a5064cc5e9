#include "core/log/Logger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <numeric>
#include <regex>
#include <sstream>
#include <thread>

#include "core/upload/ResponseHandler.h"
#include "platform/Clock.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

namespace {

const std::regex kTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \+0000)");
const std::string kRunStart = "2024-03-05 14:07:09 +0000: "
                              "----------------------------Application Started----------------------------\n";

fs::perms access(const fs::path& item) { return fs::status(item).permissions() & fs::perms::all; }

}  // namespace

TEST(Logger, EveryEntryIsOneOwnerOnlyUtcLineAndOnlyTheLogsOwnWordingBreaksLines)
{
    ::umask(022);
    ::setenv("TZ", "XST-5:30", 1);  // local time far from UTC
    Sandbox sandbox;
    const std::time_t now = std::time(nullptr);
    Logger::logInfo("Directory created: System");
    Logger::logError("Removed file: " + std::string("a\nINFO: forged\r\n"));
    Logger::logWarning("careful");
    Logger::log("banner", Logger::LogType::Debug);
    Logger::logInfo("closing \n\n");
    const std::string reply = "{}\nERROR: 2024-03-05 14:07:09 +0000: forged\n";
    (void)UploadAPI::handleResponse({200, std::vector<std::uint8_t>(reply.begin(), reply.end()), std::nullopt});

    const fs::path file = sandbox.home() / ".cache/Logs/TarvixDebugOutput.log";
    const std::string text = readFile(file);
    EXPECT_EQ(text.substr(6, 16), platform::formatTime(now, "%Y-%m-%d %H:%M", platform::TimeZone::utc)) << text;
    EXPECT_EQ(std::regex_replace(text, kTime, "T"),
              "INFO: T: Directory created: System\nERROR: T: Removed file: a\\nINFO: forged\\r\\n\n"
              "WARNING: T: careful\nT: banner\nINFO: T: closing \n\n\nINFO: T: Status Code: 200\n"
              "INFO: T: Response Data: {}\\nERROR: T: forged\\n\n");
    EXPECT_EQ(access(file.parent_path()), fs::perms(0700));
    fs::permissions(file, fs::perms(0644));  // as an earlier version left it
    Logger::setupLogFile(sandbox.folders().caches);
    EXPECT_EQ(access(file), fs::perms(0600));
    ::unsetenv("TZ");
}

TEST(Logger, MovesMergeRunsKeepOnlyTheNewestWholeRunsWithinTheLimitAndFailuresGoToStandardOutput)
{
    Sandbox sandbox;
    const fs::path system = sandbox.root() / "System", log = system / "TarvixDebugOutput.log";
    writeFile(log, "INFO: earlier run\n");
    Logger::logInfo("this run");
    const fs::path caches = *Logger::logFileURL();
    const std::string current = readFile(caches);
    testing::internal::CaptureStdout();
    Logger::changeLogFileLocation(system);
    Logger::changeLogFileLocation(system);  // already there: nothing happens
    Logger::changeLogFileLocation(sandbox.root() / "missing");
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to change log file location: ", 0), 0u);
    EXPECT_FALSE(fs::exists(caches));
    EXPECT_EQ(Logger::logFileURL(), log);
    EXPECT_EQ(readFile(log), "INFO: earlier run\n\n" + current);

    // Past the limit the oldest runs go whole, and one entry says so.
    std::string history;
    for (int run = 0; run < 20; ++run) history += kRunStart + "INFO: " + std::string(1 << 20, 'x') + "\n\n";
    writeFile(log, history);
    Logger::setupLogFile(sandbox.folders().caches);
    Logger::logInfo("this run");
    const std::string run = readFile(*Logger::logFileURL());
    Logger::changeLogFileLocation(system);
    const std::size_t runSize = history.size() / 20,
                      kept = (Logger::kHistoryLimit - 1 - run.size()) / runSize * runSize;
    const std::string merged = readFile(log);
    EXPECT_EQ(merged.substr(0, kept + 1 + run.size()), history.substr(history.size() - kept) + "\n" + run);
    EXPECT_EQ(std::regex_replace(merged.substr(kept + 1 + run.size()), kTime, "T"),
              "INFO: T: Log history trimmed to its newest runs: " + std::to_string(history.size() - kept) +
                  " bytes of older runs removed to keep it under " + std::to_string(Logger::kHistoryLimit) +
                  " bytes.\n");
    EXPECT_EQ(access(log), fs::perms(0600));

    // A log that cannot be appended to says so on standard output.
    fs::create_directories(sandbox.home() / ".cache/Logs/TarvixDebugOutput.log");
    Logger::setupLogFile(sandbox.folders().caches);
    testing::internal::CaptureStdout();
    Logger::logInfo("lost line");
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to write to log file: ", 0), 0u);
}

TEST(Logger, ConcurrentWritersNeverTearOrLoseALine)
{
    Sandbox sandbox;
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t)
        writers.emplace_back([t] {
            for (int i = t; i < 40000; i += 8) Logger::logInfo("entry " + std::to_string(i));
        });
    for (auto& w : writers) w.join();
    std::vector<int> entries, expected(40000);
    std::iota(expected.begin(), expected.end(), 0);
    std::istringstream in(std::regex_replace(sandbox.logText(), kTime, "T"));
    for (std::string line; std::getline(in, line);)
        entries.push_back(line.rfind("INFO: T: entry ", 0) == 0 ? std::stoi(line.substr(15)) : -1);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, expected);
}

TEST(UnifiedLog, AFullQueueDropsAndCountsWithoutBlocking)
{
    const auto before = platform::unifiedLogStats();
    for (int i = 0; i < 50000; ++i) platform::sendToUnifiedLog(platform::LogType::Info, "s", "c", "INFO: %@", "x");
    const auto after = platform::unifiedLogStats();
    EXPECT_EQ((after.queued - before.queued) + (after.dropped - before.dropped), 50000u);
    platform::flushUnifiedLog();
}
