#include "core/log/Logger.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>
#include <thread>

#include "config/BuildConfig.h"
#include "core/upload/ResponseHandler.h"
#include "platform/Clock.h"
#include "platform/Files.h"
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
    tarvix::Logger::logInfo("Directory created: System");
    tarvix::Logger::logError("Removed file: " + std::string("a\nINFO: forged\r\n"));
    tarvix::Logger::logWarning("careful");
    tarvix::Logger::log("banner", tarvix::Logger::LogType::Debug);
    tarvix::Logger::logInfo("closing \n\n");
    const std::string reply = "{}\nERROR: 2024-03-05 14:07:09 +0000: forged\n";
    (void)tarvix::UploadAPI::handleResponse({200, std::vector<std::uint8_t>(reply.begin(), reply.end()), std::nullopt});

    const fs::path file = sandbox.home() / ".cache/Logs/TarvixDebugOutput.log";
    const std::string text = readFile(file);
    EXPECT_EQ(text.substr(6, 16), tarvix::platform::formatTime(now, "%Y-%m-%d %H:%M", tarvix::platform::TimeZone::utc))
        << text;
    EXPECT_EQ(std::regex_replace(text, kTime, "T"),
              "INFO: T: Directory created: System\nERROR: T: Removed file: a\\nINFO: forged\\r\\n\n"
              "WARNING: T: careful\nT: banner\nINFO: T: closing \n\n\nINFO: T: Status Code: 200\n"
              "INFO: T: Response Data: {}\\nERROR: T: forged\\n\n");
    EXPECT_EQ(access(file.parent_path()), fs::perms(0700));

    // What a crafted file name or reply carries is written inert; text in any script stays as it is.
    const std::pair<std::string, std::string> values[] = {
        {"\x1b]0;title\x07\x1b[2J", "\\x1b]0;title\\x07\\x1b[2J"},
        {"tab\there\x7f\x01", "tab\\there\\x7f\\x01"},
        {"next\xc2\x85line\xc2\x9b"
         "31m\xc2\x80\xc2\x9f",
         "next\\u0085line\\u009b31m\\u0080\\u009f"},
        {"Übersicht – 日本 🙂\xc2\xa0", "Übersicht – 日本 🙂\xc2\xa0"},
        {"bad\xff\xc3(\xe2\x82\xed\xa0\x80\xc0\xaf\xf4\x90\x80\x80",
         "bad\\xff\\xc3(\\xe2\\x82\\xed\\xa0\\x80\\xc0\\xaf\\xf4\\x90\\x80\\x80"},
        {"raw C1 \x9b", "raw C1 \\x9b"},
        {"\u202eexe.txt\u2066\u202a\u202d\u2069\u2028\u2029\ufeff\u2067\u2068",
         "\\u202eexe.txt\\u2066\\u202a\\u202d\\u2069\\u2028\\u2029\\ufeff\\u2067\\u2068"}};
    for (const auto& [value, written] : values) {
        tarvix::Logger::logInfo("Removed file: " + value);
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: Removed file: " + written);
    }
    fs::permissions(file, fs::perms(0644));  // as an earlier version left it
    tarvix::Logger::setupLogFile(sandbox.folders().caches);
    EXPECT_EQ(access(file), fs::perms(0600));
    ::unsetenv("TZ");
}

TEST(Logger, MovesMergeRunsKeepOnlyTheNewestWholeRunsWithinTheLimitAndFailuresGoToStandardOutput)
{
    Sandbox sandbox;
    const fs::path system = sandbox.root() / "System", log = system / "TarvixDebugOutput.log";
    writeFile(log, "INFO: earlier run\n");
    tarvix::Logger::logInfo("this run");
    const fs::path caches = *tarvix::Logger::logFileURL();
    const std::string current = readFile(caches);
    testing::internal::CaptureStdout();
    tarvix::Logger::changeLogFileLocation(system);
    tarvix::Logger::changeLogFileLocation(system);  // already there: nothing happens
    tarvix::Logger::changeLogFileLocation(sandbox.root() / "missing");
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to change log file location: ", 0), 0u);
    EXPECT_FALSE(fs::exists(caches));
    EXPECT_EQ(tarvix::Logger::logFileURL(), log);
    EXPECT_EQ(readFile(log), "INFO: earlier run\n\n" + current);

    // Past the limit the oldest runs go whole, and one entry says so.
    std::string history;
    for (int run = 0; run < 20; ++run) history += kRunStart + "INFO: " + std::string(1 << 20, 'x') + "\n\n";
    writeFile(log, history);
    tarvix::Logger::setupLogFile(sandbox.folders().caches);
    tarvix::Logger::logInfo("this run");
    const std::string run = readFile(*tarvix::Logger::logFileURL());
    tarvix::Logger::changeLogFileLocation(system);
    const std::size_t runSize = history.size() / 20,
                      kept = (tarvix::Logger::kHistoryLimit - 1 - run.size()) / runSize * runSize;
    const std::string merged = readFile(log);
    EXPECT_EQ(merged.substr(0, kept + 1 + run.size()), history.substr(history.size() - kept) + "\n" + run);
    EXPECT_EQ(std::regex_replace(merged.substr(kept + 1 + run.size()), kTime, "T"),
              "INFO: T: Log history trimmed to its newest runs: " + std::to_string(history.size() - kept) +
                  " bytes of older runs removed to keep it under " + std::to_string(tarvix::Logger::kHistoryLimit) +
                  " bytes.\n");
    EXPECT_EQ(access(log), fs::perms(0600));
}

TEST(Logger, ConcurrentWritersNeverTearOrLoseALine)
{
    Sandbox sandbox;
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t)
        writers.emplace_back([t] {
            for (int i = t; i < 40000; i += 8) tarvix::Logger::logInfo("entry " + std::to_string(i));
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

namespace {

/// A journal of the test's own: a datagram socket whose entries are read in the native protocol.
class JournalSocket {
public:
    JournalSocket() : m_fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path().c_str());
        EXPECT_EQ(::bind(m_fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    fs::path path() const { return m_dir.path() / "journal"; }

    /// The next entry's fields, from a datagram or the sealed memory file it passes; empty when
    /// none comes in time.
    std::map<std::string, std::string> next(int milliseconds = 5000)
    {
        pollfd ready{m_fd.get(), POLLIN, 0};
        std::string datagram(1 << 17, '\0');
        if (::poll(&ready, 1, milliseconds) != 1) return {};
        iovec data{datagram.data(), datagram.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        msghdr message{};
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        datagram.resize(static_cast<std::size_t>(std::max<ssize_t>(::recvmsg(m_fd.get(), &message, 0), 0)));
        if (const cmsghdr* passed = CMSG_FIRSTHDR(&message); passed && passed->cmsg_type == SCM_RIGHTS) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(passed), sizeof fd);
            const tarvix::platform::FileDescriptor memory(fd);
            constexpr int sealed = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
            EXPECT_EQ(::fcntl(fd, F_GET_SEALS) & sealed, sealed) << "the journal takes only a sealed memory file";
            datagram.resize(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)));
            EXPECT_EQ(::pread(fd, datagram.data(), datagram.size(), 0), static_cast<ssize_t>(datagram.size()));
        }
        std::map<std::string, std::string> fields;
        for (std::size_t at = 0; at < datagram.size();) {
            const std::size_t end = datagram.find_first_of("=\n", at);
            const std::string name = datagram.substr(at, end - at);
            std::size_t length = 0, start = end + 1;
            if (datagram[end] == '=') {
                length = datagram.find('\n', start) - start;
            } else {  // a value with line feeds: its length, 64 bits little-endian, in front
                for (int byte = 7; byte >= 0; --byte)
                    length = length << 8 | static_cast<unsigned char>(datagram[start + byte]);
                start += 8;
            }
            fields[name] = datagram.substr(start, length);
            at = start + length + 1;
        }
        return fields;
    }

private:
    TempDir m_dir;
    tarvix::platform::FileDescriptor m_fd;
};

}  // namespace

TEST(Journal, EveryEntryArrivesWithItsFieldsWhetherTheFileTakesItOrNotAndABigRunKeepsItsHeadAndNewestEntries)
{
    Sandbox sandbox;
    JournalSocket journal;
    tarvix::Logger::setupLogFile(
        sandbox.folders().caches,
        {.runLimit = 4096, .journal = std::make_shared<tarvix::platform::Journal>(journal.path())});
    const fs::path file = *tarvix::Logger::logFileURL();
    const auto entries = [&](int count) {
        std::vector<std::string> got;
        for (int i = 0; i < count; ++i) {
            auto fields = journal.next();
            if (fields.empty()) {
                ADD_FAILURE() << "journal entry " << i + 1 << " of " << count << " never came";
                break;
            }
            EXPECT_EQ(fields["SYSLOG_IDENTIFIER"], "tarvix");
            EXPECT_EQ(fields["TARVIX_SUBSYSTEM"], tarvix::BuildConfig::kBundleIdentifier);
            EXPECT_EQ(fields["TARVIX_CATEGORY"], "MyApp");
            got.push_back(fields["PRIORITY"] + " " + fields["MESSAGE"]);
        }
        return got;
    };
    tarvix::Logger::logInfo("Removed file: " + std::string("a\nb"));
    tarvix::Logger::logError("Failed to create the initial directories.");
    tarvix::Logger::log("banner\n\n", tarvix::Logger::LogType::Debug);
    fs::remove(file);
    fs::create_directory(file);  // the file can no longer be written
    testing::internal::CaptureStdout();
    tarvix::Logger::logWarning("careful");
    tarvix::Logger::log("Closed", tarvix::Logger::LogType::Default);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Failed to write to log file: ", 0), 0u);
    EXPECT_EQ(entries(5), (std::vector<std::string>{"6 INFO: Removed file: a\\nb",
                                                    "3 ERROR: Failed to create the initial directories.",
                                                    "7 banner\n\n", "6 WARNING: careful", "5 Closed"}));

    // Past the run's bound the file keeps the run's first half, then, once flushed or moved, one
    // line counting what only the journal got and the newest whole entries: none twice.
    // `more` entries come after a first flush; a last entry of 3000 dots is too long for the tail,
    // one of 48 ends the head exactly at its bound.
    struct Case {
        int entries, more;
        bool flushed;
        std::size_t last;
        int inHead, journalOnly, inTail;
    };
    const auto writer = std::make_shared<tarvix::platform::Journal>(journal.path());
    for (const auto& c : {Case{20, 0, true, 40, 20, 0, 0}, Case{200, 0, false, 40, 25, 0, 0},
                          Case{200, 0, true, 40, 25, 153, 22}, Case{200, 10, true, 40, 25, 163, 22},
                          Case{200, 0, true, 3000, 25, 153, 22}, Case{25, 0, false, 48, 25, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.entries << "+" << c.more << " last " << c.last);
        const int total = c.entries + c.more, tailEnd = c.last > 40 ? total - 1 : total;
        const auto entry = [&](int i) {
            return "entry " + std::to_string(i) + std::string(i + 1 == total ? c.last : 40, '.');
        };
        tarvix::Logger::setupLogFile(sandbox.folders().caches, {.runLimit = 4096, .journal = writer});
        fs::remove(file);
        for (int i = 0; i < total; ++i) {
            tarvix::Logger::logInfo(entry(i));
            if (i + 1 == c.entries && c.flushed) tarvix::Logger::flush();
        }
        if (c.more) tarvix::Logger::changeLogFileLocation(sandbox.root());  // a move flushes too
        std::vector<std::string> expected;
        for (int i = 0; i < c.inHead; ++i) expected.push_back("INFO: " + entry(i));
        if (c.journalOnly)
            expected.push_back("INFO: This run's log passed 2048 bytes: " + std::to_string(c.journalOnly) +
                               " entries went to the system journal only. Its newest entries follow.");
        for (int i = tailEnd - c.inTail; i < tailEnd; ++i) expected.push_back("INFO: " + entry(i));
        EXPECT_EQ(sandbox.logMessages(), expected);
        EXPECT_LE(fs::file_size(*tarvix::Logger::logFileURL()), 4096u);
        EXPECT_EQ(entries(total).back(), "6 INFO: " + entry(total - 1)) << "the journal gets every entry";
    }
}

TEST(Journal, AFullQueueDropsAndCountsWithoutBlockingAndAnEntryTooLargeForADatagramStillArrives)
{
    JournalSocket journal;                             // not read until the end: the writer waits on it
    tarvix::platform::Journal writer(journal.path());  // the bound the system journal gets
    // A writer that waited for room in the unread journal would never leave this loop.
    for (int i = 0; i < 20000; ++i)
        writer.send(tarvix::platform::LogType::Info, "s", "c", "INFO: %@", std::to_string(i));
    const auto stats = writer.stats();
    EXPECT_EQ(stats.queued + stats.dropped, 20000u);
    EXPECT_GT(stats.dropped, 0u);
    std::vector<int> read;  // in the order they were logged
    for (std::map<std::string, std::string> fields; read.size() < stats.queued && !(fields = journal.next()).empty();)
        read.push_back(std::stoi(fields["MESSAGE"].substr(6)));
    writer.flush();
    EXPECT_EQ(read.size(), stats.queued);
    EXPECT_TRUE(std::is_sorted(read.begin(), read.end())) << "the journal got entries out of order";
    EXPECT_TRUE(journal.next(0).empty()) << "more sent than queued";
    EXPECT_EQ(writer.stats().sent, stats.queued);
    const std::string large(300000, 'x');
    writer.send(tarvix::platform::LogType::Info, "s", "c", "%@", large + "\n");
    EXPECT_EQ(journal.next()["MESSAGE"], large + "\n");
}
