#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>

#include "core/pending/PendingSender.h"
#include "core/pending/PendingStore.h"
#include "support/LogServer.h"

namespace fs = std::filesystem;
using namespace tarvix::pending;
using tarvix::test::readFile;
using tarvix::test::runCommand;
using tarvix::test::shellWord;
using tarvix::test::writeFile;

namespace {

const std::string kLogId = "5c0f3d2a-8e41-4b7a-9c1d-2f6e8a9b0c11";
const std::string kArchive = archiveNameFor(kLogId);

/// Entries of `folder`; `whole`: only reports renamed into place, not those being assembled.
std::size_t entries(const fs::path& folder, bool whole = false)
{
    std::error_code ec;
    std::size_t count = 0;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        count += !whole || it->path().filename().string().front() != '.';
    return count;
}

using PendingReports = tarvix::test::LogServerTest;

}  // namespace

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
