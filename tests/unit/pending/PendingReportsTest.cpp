#include <curl/curl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <random>

#include "core/pending/Offer.h"
#include "core/pending/PendingSender.h"
#include "core/pending/PendingStore.h"
#include "core/upload/UrlErrors.h"
#include "support/LogServer.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace tarvix::pending;
using tarvix::test::LogServer;
using tarvix::test::readFile;
using tarvix::test::runCommand;
using tarvix::test::shellWord;
using tarvix::test::writeFile;

namespace {

const std::string kLogId = "5c0f3d2a-8e41-4b7a-9c1d-2f6e8a9b0c11";
const std::string kArchive = archiveNameFor(kLogId);

std::string randomBytes(std::size_t size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
    return bytes;
}

/// The archive as the packaging names it, in its own folder below `root`.
fs::path writeArchive(const fs::path& root, const std::string& bytes)
{
    const fs::path archive = root / "temp" / archiveNameFor(kLogId);
    writeFile(archive, bytes);
    return archive;
}

tarvix::UploadAPI::Error uploadFailure(const fs::path& file)
{
    std::promise<tarvix::UploadAPI::Result> result;
    tarvix::UploadAPI::upload(file, nullptr, [&](tarvix::UploadAPI::Result r) { result.set_value(std::move(r)); });
    auto outcome = result.get_future().get();
    return outcome ? tarvix::UploadAPI::Error{} : outcome.error();
}

AttemptOutcome attempt(PendingSender& sender, const std::string& session)
{
    std::promise<AttemptOutcome> done;
    if (!sender.send(session, [&](AttemptOutcome outcome) { done.set_value(std::move(outcome)); })) {
        ADD_FAILURE() << "no attempt started";
        return {};
    }
    return done.get_future().get();
}

/// Entries of `folder`; `whole`: only reports renamed into place, not those being assembled.
std::size_t entries(const fs::path& folder, bool whole = false)
{
    std::error_code ec;
    std::size_t count = 0;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        count += !whole || it->path().filename().string().front() != '.';
    return count;
}

std::string mode(const fs::path& item) { return runCommand("stat -c %a " + shellWord(item) + " | tr -d '\\n'"); }

using PendingReports = tarvix::test::LogServerTest;

}  // namespace

TEST_F(PendingReports, OnlyFailuresThatMayPassByWaitingAreOffered)
{
    const fs::path archive = writeArchive(sandbox.root(), randomBytes(256 << 10));
    LogServer server;
    // Refusals of this request never pass; a busy or failing server may.
    for (const auto& [statuses, offered] : {std::pair{std::vector{400, 404, 405, 413, 201}, false},
                                            std::pair{std::vector{408, 429, 500, 502, 503, 504, 507}, true}})
        for (const int status : statuses) {
            ASSERT_TRUE(server.restart({.status = status}));
            EXPECT_EQ(mayPassLater(uploadFailure(archive)), offered) << status;
        }
    ASSERT_TRUE(server.restart({.mode = LogServer::Mode::Drop, .afterBytes = 64 << 10}));
    EXPECT_TRUE(mayPassLater(uploadFailure(archive))) << "reset mid-body";
    ASSERT_TRUE(server.restart({.untrustedCertificate = true}));
    EXPECT_FALSE(mayPassLater(uploadFailure(archive))) << "untrusted certificate";
    server.stop();
    EXPECT_TRUE(mayPassLater(uploadFailure(archive))) << "refused";
    EXPECT_FALSE(mayPassLater(uploadFailure(sandbox.root() / "missing.zip"))) << "unreadable archive";

    // No name, no route, no answer in time, a handshake cut off, a failing proxy may pass; a cancel,
    // a certificate that does not verify and a protocol the upload cannot speak do not.
    using tarvix::UploadAPI::transportError;
    for (const auto& [codes, offered] :
         {std::pair{std::vector{CURLE_COULDNT_RESOLVE_HOST, CURLE_COULDNT_RESOLVE_PROXY, CURLE_OPERATION_TIMEDOUT,
                                CURLE_SSL_CONNECT_ERROR, CURLE_PROXY},
                    true},
          std::pair{std::vector{CURLE_ABORTED_BY_CALLBACK, CURLE_PEER_FAILED_VERIFICATION, CURLE_UNSUPPORTED_PROTOCOL},
                    false}})
        for (const CURLcode code : codes) EXPECT_EQ(mayPassLater(transportError(code, 0)), offered) << code;
    EXPECT_TRUE(mayPassLater(transportError(CURLE_COULDNT_CONNECT, ENETUNREACH)));
}

TEST_F(PendingReports, SentLaterWithTheBytesKeptOnlyOnceAndGivenUpAtTheirTime)
{
    const fs::path workspace = sandbox.library() / "Tarvix";
    const std::string bytes = randomBytes(300000), session = "20261207101500";
    const fs::path archive = writeArchive(sandbox.root(), bytes);
    LogServer server;
    server.stop();
    auto store = PendingStore::open(workspace).value();
    TimePoint clock{std::chrono::seconds(1'800'000'000)};
    ASSERT_TRUE(store->keep(archive, session, kLogId, clock, clock + 1min));
    writeFile(archive, "changed after it was kept");
    const fs::path report = workspace / "Pending" / session;
    EXPECT_EQ(readFile(report / archiveNameFor(kLogId)), bytes);
    EXPECT_EQ(mode(workspace / "Pending") + mode(report) + mode(report / "record.json") +
                  mode(workspace / "Reports.json"),
              "700700600600");
    EXPECT_EQ(readFile(workspace / "Reports.json").find("scrivoMacLog"), std::string::npos) << "a file name listed";

    auto sender = std::make_shared<PendingSender>(
        store, RetrySchedule{.first = 2min, .longest = 1h, .giveUpAfter = 1h, .jitter = 0.2}, [] { return 0.5; },
        [&] { return clock; });
    EXPECT_EQ(sender->due(), std::nullopt);
    clock += 1min;
    ASSERT_EQ(sender->due(), session);
    const std::size_t logged = sandbox.logMessages().size();
    EXPECT_FALSE(attempt(*sender, session).sent);  // the server is down
    ASSERT_TRUE(server.restart({.status = 503}));
    clock += 2min;
    EXPECT_FALSE(attempt(*sender, session).sent);
    // An attempt stopped for the window's own upload is not a failed one.
    ASSERT_TRUE(server.restart({.mode = LogServer::Mode::Stall, .afterBytes = 64 << 10}));
    std::promise<AttemptOutcome> stopped;
    ASSERT_TRUE(sender->send(session, [&](AttemptOutcome outcome) { stopped.set_value(std::move(outcome)); }));
    ASSERT_TRUE(tarvix::test::waitFor([&] { return server.received().size() == 2; })) << server.output();
    sender->cancel();
    EXPECT_FALSE(stopped.get_future().get().sent);
    ASSERT_TRUE(server.restart({}));
    clock += 4min;
    const AttemptOutcome sent = attempt(*sender, session);
    EXPECT_TRUE(sent.sent && sent.logId == kLogId);
    std::vector<std::string> lines;
    const auto messages = sandbox.logMessages();
    for (auto line = messages.begin() + static_cast<long>(logged); line != messages.end(); ++line)
        if (line->starts_with("INFO: Report ")) lines.push_back(*line);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "INFO: Report 20261207101500: attempt 2.",
                         "INFO: Report 20261207101500: attempt 2 failed: Could not connect to the server. Next "
                         "attempt: 2027-01-15 08:05:00 UTC.",
                         "INFO: Report 20261207101500: attempt 3.",
                         "INFO: Report 20261207101500: attempt 3 failed: Unknown error occurred. Next attempt: "
                         "2027-01-15 08:11:00 UTC.",
                         "INFO: Report 20261207101500: attempt 4.", "INFO: Report 20261207101500: attempt 4 stopped.",
                         "INFO: Report 20261207101500: attempt 4.",
                         "INFO: Report 20261207101500 sent later. Log ID: " + kLogId}));
    const auto received = server.received();
    ASSERT_EQ(received.size(), 3u);  // the 503, the stalled one and the 200
    for (const auto& request : {received[0], received[2]}) EXPECT_TRUE(request.check == "ok" && request.file == bytes);
    EXPECT_FALSE(fs::exists(report));
    const auto listed = store->list();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].state == ReportState::sent && listed[0].logId == kLogId && listed[0].size == bytes.size());

    // Its Log ID recorded, a copy that outlived a crash is removed, never sent again.
    writeArchive(sandbox.root(), bytes);
    ASSERT_TRUE(store->keep(archive, session, kLogId, clock, clock));
    ASSERT_TRUE(ReportList::write(tarvix::platform::PrivateFolder::open(workspace, false).value(), listed));
    EXPECT_EQ(sender->due(), std::nullopt);
    EXPECT_FALSE(fs::exists(report));
    EXPECT_EQ(server.received().size(), 3u);

    // Past its time a report is given up and kept.
    server.stop();
    const std::string late = "20261207111500";
    ASSERT_TRUE(store->keep(archive, "20261207091500", kLogId, clock, clock + 3h));  // named first, due later
    ASSERT_TRUE(store->keep(archive, late, kLogId, clock, clock));
    EXPECT_EQ(sender->nextDue(), clock) << "the timer would sleep past the earlier report";
    clock += 2h;
    EXPECT_TRUE(attempt(*sender, late).givenUp);
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Report 20261207111500 given up after 7 days.");
    EXPECT_EQ(sender->due(), std::nullopt);
    EXPECT_TRUE(fs::exists(workspace / "Pending" / late / archiveNameFor(kLogId)));
    EXPECT_EQ(store->list().back().state, ReportState::givenUp);
    ASSERT_TRUE(store->discard(late));
    EXPECT_FALSE(fs::exists(workspace / "Pending" / late));
    ASSERT_TRUE(store->discard("20261207091500"));
    EXPECT_EQ(store->list().size(), 1u) << "the sent report's line went too";
}

TEST(PendingKillChild, KeepsReportsUntilKilled)
{
    const fs::path root = std::getenv("TARVIX_PENDING_ROOT");
    auto store = PendingStore::open(root / "Tarvix").value();
    const TimePoint now = std::chrono::system_clock::now();
    for (int i = 0;; ++i) store->keep(root / "temp" / kArchive, "s" + std::to_string(i), kLogId, now, now).absorb();
}

TEST(PendingStore, AKillAtAnyPointLeavesWholeReportsOrNoneAndNothingHalfMade)
{
    tarvix::test::Sandbox sandbox;
    const std::string bytes(3 << 20, 'z');
    writeFile(sandbox.root() / "temp" / kArchive, bytes);
    const fs::path pending = sandbox.root() / "Tarvix" / "Pending";
    // Killed while the first report is being assembled, then just after later ones were.
    for (std::size_t seen : {0u, 1u, 2u, 4u}) {
        const std::string command = "exec " +
                                    tarvix::test::childCommand("PendingKillChild.KeepsReportsUntilKilled",
                                                               "TARVIX_PENDING_ROOT=" + shellWord(sandbox.root())) +
                                    " >/dev/null 2>&1";
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            ::_exit(127);
        }
        EXPECT_TRUE(tarvix::test::waitFor([&] { return entries(pending, seen > 0) > seen; }));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    auto store = PendingStore::open(sandbox.root() / "Tarvix").value();
    const auto reports = store->reports();
    EXPECT_GE(reports.size(), 4u);
    for (const PendingRecord& report : reports)
        EXPECT_TRUE(report.size == bytes.size() && readFile(pending / report.session / kArchive) == bytes)
            << report.session;
    EXPECT_EQ(entries(pending), reports.size()) << "a half-made report was left";
    EXPECT_EQ(store->list().size(), reports.size());
}

TEST_F(PendingReports, PlantsOfAnotherAccountAndCraftedRecordsSendNothingButWhatTarvixKept)
{
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another account needs root";
    const fs::path workspace = sandbox.library() / "Tarvix", pending = workspace / "Pending";
    const fs::path secret = sandbox.root() / "secret.zip", attacker = sandbox.root() / "attacker";
    for (const fs::path& folder : {sandbox.root(), sandbox.home(), sandbox.library()}) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms(0755));
    }
    writeFile(secret, "what only root may read");
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    writeFile(sandbox.root() / "temp" / kArchive, "the report the user reviewed");
    auto store = PendingStore::open(workspace).value();
    const TimePoint now = std::chrono::system_clock::now();
    ASSERT_TRUE(store->keep(sandbox.root() / "temp" / kArchive, "kept", kLogId, now, now));

    // A report folder `name` with `record` (a valid one when empty) and what `plant` (shell) adds.
    const auto craft = [&](const std::string& name, std::string record, const std::string& plant) {
        const fs::path folder = pending / name;
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
        if (record.empty()) record = toJson({name, kLogId, kArchive, 23, 0, 1, 0, ReportState::pending});
        writeFile(folder / "record.json", record);
        fs::permissions(folder / "record.json", fs::perms::owner_read | fs::perms::owner_write);
        int status = -1;
        runCommand("cd " + shellWord(folder) + " && " + plant, &status);
        ASSERT_EQ(status, 0) << name;
    };
    const std::string link = "ln -s " + shellWord(secret) + " " + kArchive;
    const std::string asAttacker = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    const auto withArchive = [](const std::string& archive) {
        return toJson({"a", kLogId, archive, 23, 0, 1, 0, ReportState::pending});
    };
    craft("dotdot", withArchive("../../secret.zip"), "true");
    craft("absolute", withArchive(secret.string()), "true");
    craft("elsewhere", toJson({"kept", kLogId, kArchive, 23, 0, 1, 0, ReportState::pending}), "true");
    craft("link", "", link);
    craft("hardlink", "", "ln " + shellWord(secret) + " " + kArchive);
    craft("theirs", "", "cp " + shellWord(secret) + " " + kArchive + " && chown 65534 " + kArchive);
    craft("their_folder", "", "cp " + shellWord(secret) + " " + kArchive + " && chown -R 65534 .");
    // Another account's folder of its own, linked in: a valid report in it whose archive leads out.
    fs::create_directories(attacker);
    fs::permissions(attacker, fs::perms::all);
    runCommand(asAttacker + "sh -c " +
               shellWord("mkdir -m 700 " + shellWord(attacker / "r") + " && cd " + shellWord(attacker / "r") + " && " +
                         link + " && printf %s " + shellWord(withArchive(kArchive)) + " > record.json"));
    fs::create_directory_symlink(attacker / "r", pending / "r");

    std::vector<std::string> found;
    for (const PendingRecord& report : store->reports()) found.push_back(report.session);
    EXPECT_EQ(found, std::vector<std::string>{"kept"});
    for (const char* name : {"link", "hardlink", "theirs", "their_folder", "r"})
        EXPECT_FALSE(store->openReport(name)) << name;

    // "Pending" swapped for another's folder after the store opened it: the store keeps reading
    // its own. Another account that links "Pending" to its folder in a workspace left open to
    // others is refused, also once the workspace is closed again.
    fs::rename(pending, sandbox.root() / "aside");
    fs::create_directory_symlink(attacker, pending);
    EXPECT_EQ(store->reports().size(), 1u);
    const fs::path open = sandbox.root() / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    int planted = -1;
    runCommand(asAttacker + "ln -s " + shellWord(attacker) + " " + shellWord(open / "Pending"), &planted);
    ASSERT_EQ(planted, 0);
    EXPECT_FALSE(PendingStore::open(open));
    fs::permissions(open, fs::perms::owner_all);
    EXPECT_FALSE(PendingStore::open(open));
    EXPECT_TRUE(fs::is_symlink(open / "Pending"));

    tarvix::test::LogServer server;
    auto sender = std::make_shared<PendingSender>(
        store, RetrySchedule{}, [] { return 0.0; }, [&] { return now; });
    std::promise<AttemptOutcome> done;
    ASSERT_TRUE(sender->send("kept", [&](AttemptOutcome outcome) { done.set_value(outcome); }));
    EXPECT_TRUE(done.get_future().get().sent);
    for (const char* name : {"r", "link"}) EXPECT_FALSE(sender->send(name, {})) << name;
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].file, "the report the user reviewed");
}
