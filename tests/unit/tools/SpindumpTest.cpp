#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <regex>
#include <sstream>

#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace sample = tarvix::sample;

namespace {

const std::string kSpindump = TARVIX_LIBEXEC_DIR "/spindump";
/// The user for whom pkexec runs it, and the attacker: both are any program of that user's.
constexpr uid_t kUser = 65534;

/// Standard output and error; the exit status in `status`.
std::string run(const std::string& command, int& status) { return runCommand("{ " + command + "; } 2>&1", &status); }

std::string asUser(const std::string& command)
{
    return "setpriv --reuid=65534 --regid=65534 --clear-groups sh -c " + shellWord(command);
}

/// `script` run by /bin/sh as the user, a child of ours; `rights` are setpriv's options beyond
/// the user id. Without them, as ourselves.
pid_t startAsUser(const std::string& script, const std::string& rights = "--regid=65534")
{
    const std::string command =
        rights.empty() ? script : "exec setpriv --reuid=65534 --clear-groups " + rights + " sh -c " + shellWord(script);
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    return pid;
}

/// Opens the gate once process PID has been stopped by its tracer and let go again: the tool's
/// trial round is over, and what follows happens while it samples.
// Released once sampling runs (a third stop seen ended): the attach's own stops and checks are over.
const std::string kOpenOnceSampling = R"(import sys
status, stops, stopped = "/proc/%s/status" % sys.argv[1], 0, False
while stops < 3:
    text = open(status).read()
    if "\nState:\tt" in text: stopped = True
    elif stopped: stops, stopped = stops + 1, False
open(sys.argv[2], "w").write("go\n"))";

/// The "effective capabilities while ..." lines spindump writes when asked, in order.
std::vector<std::string> capabilityLines(const std::string& output)
{
    static const std::regex line("spindump: effective capabilities while (.*)");
    std::vector<std::string> lines;
    for (std::sregex_iterator it(output.begin(), output.end(), line), end; it != end; ++it) lines.push_back((*it)[1]);
    return lines;
}

/// The value of a "Name:   value" header line, "" when missing.
std::string headerValue(const std::string& report, const std::string& name)
{
    std::smatch match;
    const bool found = std::regex_search(report, match, std::regex("^" + name + ": *(.*)$", std::regex::multiline));
    return found ? match.str(1) : "";
}

/// Checks every thread's call tree ("Thread TID "NAME" ... N samples", then "COUNT  FRAME" lines
/// indented by depth): a caller's count covers its callees', which come most frequent first, and the
/// top level adds up to the thread's samples. Answers the threads' headings.
std::vector<std::string> expectConsistentTrees(const std::string& report)
{
    static const std::regex heading(R"(Thread \d+ ".*"\s.*\s(\d+) samples?)"), node(R"(( +)(\d+)  .+)");
    std::vector<std::string> headings;
    std::vector<std::pair<long, int>> tree;  // indent and count, each heading at indent 0
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, heading)) {
            headings.push_back(line);
            tree.emplace_back(0, std::stoi(match[1]));
        } else if (!headings.empty() && std::regex_match(line, match, node)) {
            tree.emplace_back(match[1].length(), std::stoi(match[2]));
        }
    }
    for (size_t i = 0; i < tree.size(); ++i) {
        int callees = 0, previous = INT_MAX;
        for (size_t j = i + 1; j < tree.size() && tree[j].first > tree[i].first; ++j) {
            if (tree[j].first != tree[i].first + 2) continue;
            EXPECT_LE(tree[j].second, previous) << "tree line " << j << " comes after a less frequent callee";
            callees += previous = tree[j].second;
        }
        EXPECT_TRUE(tree[i].first == 0 ? callees == tree[i].second : callees <= tree[i].second) << "tree line " << i;
    }
    return headings;
}

}  // namespace

TEST(Spindump, ReportsWhatItSampledWhenTheProcessExitsMostFrequentCalleesFirst)
{
    TempDir root;
    const fs::path gate = root.path() / "gate", report = root.path() / "report";
    ASSERT_EQ(mkfifo(gate.c_str(), 0600), 0);
    // A shell that, once traced, runs a program busy for a second (so that its stacks branch), then
    // ended by a signal it sends itself, which must reach it while it is traced: the same user with
    // the same rights, sampled on across the exec.
    const std::string busy = "import os, time\nend = time.time() + 1\nwhile time.time() < end: pass\n"
                             "os.kill(os.getpid(), 15)\ntime.sleep(10)";
    const std::string child = "read go <" + shellWord(gate) + "; exec /usr/bin/python3 -c " + shellWord(busy);
    int status = -1;
    // A subshell, not `sh -c`: traced before its own exec of sh, it would show two execs under load.
    const std::string output = run("{ " + child + "; } & child=$!; " + kSpindump + " $child -file " +
                                       shellWord(report) + " </dev/null & sampler=$!; " +
                                       "until grep -q '^TracerPid:[[:space:]]*[1-9]' /proc/$child/status || ! kill -0 "
                                       "$sampler; do sleep 0.01; done; echo go >" +
                                       shellWord(gate) + "; wait $sampler",
                                   status);
    ASSERT_EQ(status, 0) << output;
    const std::string text = readFile(report), python = fs::canonical("/usr/bin/python3");
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    std::smatch then;
    const std::string ran = headerValue(text, "Then ran");
    ASSERT_TRUE(std::regex_match(ran, then, std::regex(python + R"( \(from sample (\d+)\))"))) << text;
    EXPECT_EQ(headerValue(text, "Executable"), fs::canonical("/bin/sh").string()) << text;
    EXPECT_TRUE(text.find("The process exited during sampling") != text.npos && std::stoi(then[1]) <= samples &&
                samples < 300 && text.find(" (" + fs::path(python).filename().string() + ")\n") != text.npos)
        << text;
    EXPECT_FALSE(expectConsistentTrees(text).empty()) << text;
}

TEST(Spindump, RefusesBadRequestsAndEveryAttackAndForTheUserWritesOnlyTheirReportOfEveryThread)
{
    int status = -1;
    for (const std::string arguments :
         {"", "12x -file r", "-4 -file r", "0 -file r", "1 -out r", "1 -file", "1 -file r extra"}) {
        EXPECT_NE(run(kSpindump + " " + arguments, status).find("usage: spindump PID -file PATH"), std::string::npos);
        EXPECT_EQ(status, 2) << arguments;
    }
    if (geteuid() != 0) GTEST_SKIP() << "acting for another user needs root";
    TempDir root;
    fs::permissions(root.path(), fs::perms(0755));
    const auto layout = sample::install(root.path());
    sample::RunningInstance own(layout.scrivoBundle, kUser), roots(layout.scrivoBundle),
        anothers(layout.scrivoBundle, kUser - 1);
    // A bundle of the user's whose Info.plist nobody ever writes into.
    const fs::path trap = sample::writeBundle(root.path() / "trap", sample::Edition::Scrivo, "4.1.20");
    fs::remove(trap / "Contents/Info.plist");
    ASSERT_EQ(mkfifo((trap / "Contents/Info.plist").c_str(), 0644), 0);
    sample::RunningInstance trapped(trap, kUser);
    const fs::path fifo = root.path() / "prompt", gate = root.path() / "gate";
    for (const auto& made : {fifo, gate}) {
        ASSERT_EQ(mkfifo(made.c_str(), 0600), 0);
        ASSERT_EQ(chown(made.c_str(), kUser, kUser), 0);
    }
    const pid_t gone = fork();  // a process id just freed: a child that has exited and been reaped
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    // The user's program holding a capability the user lacks (ambient, as a service manager grants
    // it: dumpable, and theirs in every id); another of theirs in root's group; one they stopped,
    // which ends as soon as it runs again.
    std::vector<pid_t> children;
    const std::unique_ptr<std::vector<pid_t>, void (*)(std::vector<pid_t>*)> reaped(&children, [](auto* pids) {
        for (const pid_t pid : *pids) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    });
    for (const std::string rights : {"--regid=65534 --inh-caps +net_raw --ambient-caps +net_raw", "--regid=0"})
        children.push_back(startAsUser("exec sleep 600", rights));
    children.push_back(startAsUser("kill -STOP $$; exit 0"));
    const pid_t holder = children[0], rootsGroup = children[1], suspended = children[2];
    std::error_code error;
    for (const pid_t pid : {holder, rootsGroup})
        ASSERT_TRUE(waitFor(
            [&] { return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename() == "sleep"; }));
    ASSERT_TRUE(waitFor(
        [&] { return readFile("/proc/" + std::to_string(suspended) + "/stat").find(") T ") != std::string::npos; }));

    // The session folder is the user's; "guarded" is root's, and the attacker plants links into it.
    const fs::path session = root.path() / "home/session", guarded = root.path() / "guarded";
    const std::string report = shellWord(session / "spinReport.txt"), victim = shellWord(guarded / "spinReport.txt");
    const std::string swapSession =
        "rm -r " + shellWord(session) + " && ln -s " + shellWord(guarded) + " " + shellWord(session);
    enum Runner { byRoot, byRootForUser, byUser };
    struct Attack {
        std::string what;
        pid_t target;  ///< 0: a shell (root's for byRoot, else the user's) that runs `changeling` while sampled
        Runner runner;
        std::string byUser;     ///< run as the user before spindump starts
        std::string meanwhile;  ///< run as the user while spindump samples
        int status;
        std::string err;
        std::string input = "</dev/null";  ///< a pipe only while the program that started it lives
        std::string changeling = {};
    };
    // su waits at its prompt on `fifo`, which never brings a password.
    const std::string su = "exec su -c true root <" + shellWord(fifo) + " >/dev/null 2>&1";
    for (const Attack& attack : std::vector<Attack>{
             {"a process id just freed", gone, byRoot, "", "", 1, "spindump: no such process: " + std::to_string(gone)},
             {"no folder for the report", own.pid(), byRoot, "rm -r " + shellWord(session), "", 1, "cannot write"},
             {"a link at the report", own.pid(), byRoot, "ln -s " + victim + " " + report, "", 1, "symbolic link"},
             {"a link planted while it samples", own.pid(), byRoot, "", "sleep 1; ln -s " + victim + " " + report, 1,
              "symbolic link"},
             {"a FIFO at the report", own.pid(), byRoot, "mkfifo " + report, "", 1, "not a regular file"},
             {"root's process, by the user", roots.pid(), byUser, "", "", 1, "spindump: permission denied"},
             {"the session swapped for root's folder", own.pid(), byRootForUser, swapSession, "", 1, "cannot write"},
             {"root's process", roots.pid(), byRootForUser, "", "", 1, "refusing to sample process"},
             {"another user's process", anothers.pid(), byRootForUser, "", "", 1, "refusing to sample process"},
             {"the user's program holding a capability", holder, byRootForUser, "", "", 1,
              "it holds capabilities that user nobody, who asked for the report, does not have"},
             {"the user's process in root's group", rootsGroup, byRootForUser, "", "", 1,
              "it does not belong to user nobody, who asked for the report"},
             {"that program, by the user", holder, byUser, "", "", 1,
              "; it holds capabilities that user nobody does not have ("},
             {"Tarvix gone before the report", own.pid(), byRootForUser, "", "", 1, "", ""},
             {"a FIFO as Info.plist", trapped.pid(), byRootForUser, "", "", 0, ""},
             {"a process the user stopped", suspended, byRootForUser, "", "", 0, ""},
             {"a process that becomes root's", 0, byRootForUser, "", "", 0, "", "</dev/null", su},
             // Turning undumpable as a set-id program would be, or root's turning the user's, without an exec.
             {"a process that turns undumpable", 0, byRootForUser, "", "", 0, "", "</dev/null",
              "exec /usr/bin/python3 -c 'import ctypes, time; ctypes.CDLL(None).prctl(4, 0, 0, 0, 0); "
              "time.sleep(600)'"},
             {"root's process that turns the user's", 0, byRoot, "", "", 0, "", "</dev/null",
              "exec /usr/bin/python3 -c 'import os, time; os.setresgid(65534, 65534, 65534); "
              "os.setresuid(65534, 65534, 65534); time.sleep(600)'"},
             {"the user's own process", own.pid(), byRootForUser, "", "", 0, ""}}) {
        fs::remove_all(guarded);
        writeFile(guarded / "spinReport.txt", "keep");
        fs::remove_all(session.parent_path());
        fs::create_directories(session);
        for (const auto& folder : {session.parent_path(), session}) ASSERT_EQ(chown(folder.c_str(), kUser, kUser), 0);
        const std::string setup = attack.byUser.empty() ? "" : run(asUser(attack.byUser), status);
        ASSERT_TRUE(attack.byUser.empty() || status == 0) << attack.what << ": " << setup;
        const std::string feed = attack.input.empty() ? "sleep 1 | " : "";
        const pid_t target =
            attack.target
                ? attack.target
                : startAsUser("exec 3<>" + shellWord(fifo) + "; read go <" + shellWord(gate) + "; " + attack.changeling,
                              attack.runner == byRoot ? "" : "--regid=65534");
        // Sampled only once it is the shell waiting at the gate, in the rights it was given: before,
        // it may still be root's fork on its way through setpriv.
        ASSERT_TRUE(attack.target || waitFor([&] {
                        return fs::read_symlink("/proc/" + std::to_string(target) + "/fd/3", error) == fifo;
                    }))
            << attack.what;
        const std::string watch = attack.target ? attack.meanwhile
                                                : "timeout 60 python3 -c " + shellWord(kOpenOnceSampling) + " " +
                                                      std::to_string(target) + " " + shellWord(gate);
        const std::string meanwhile = watch.empty() ? "" : "(" + asUser(watch) + ") & ";
        const std::string command =
            "timeout 30 " + commandLine({kSpindump, std::to_string(target), "-file", session / "spinReport.txt"}) +
            " " + attack.input;
        const std::string output =
            run("cd " + shellWord(session.parent_path()) + " && " + meanwhile + feed +
                    (attack.runner == byRootForUser ? "PKEXEC_UID=65534 SPINDUMP_SHOW_CAPABILITIES=1 " : "") +
                    (attack.runner == byUser ? asUser(command) : command) + "; s=$?; wait; exit $s",
                status);
        if (!attack.target) {
            kill(target, SIGKILL);
            waitpid(target, nullptr, 0);
        }
        EXPECT_EQ(status, attack.status) << attack.what << ": " << output;
        EXPECT_NE(output.find(attack.err), std::string::npos) << attack.what << ": " << output;
        EXPECT_TRUE(fs::is_symlink(session) ||
                    fs::is_regular_file(fs::symlink_status(session / "spinReport.txt")) == (attack.status == 0))
            << attack.what;
        EXPECT_EQ(treeListing(guarded), std::vector<std::string>{"spinReport.txt"}) << attack.what;
        EXPECT_EQ(readFile(guarded / "spinReport.txt"), "keep") << attack.what;
        if (attack.status != 0) continue;
        // The report is the user's and private; what the target holds was parsed without privilege.
        struct stat file {};
        ASSERT_EQ(stat((session / "spinReport.txt").c_str(), &file), 0) << attack.what;
        EXPECT_TRUE(file.st_uid == (attack.runner == byRoot ? 0 : kUser) && (file.st_mode & 07777) == 0600)
            << attack.what << " " << file.st_mode;
        const std::string none = ": 0000000000000000";
        const std::vector<std::string> parsed{"reading Info.plist" + none, "resolving symbols" + none};
        EXPECT_EQ(capabilityLines(output), attack.runner == byRoot ? std::vector<std::string>() : parsed)
            << attack.what << ": " << output;
        const std::string text = readFile(session / "spinReport.txt");
        EXPECT_EQ(text.find("exited during sampling"), text.npos) << attack.what << ": it ran on, stopped or let go";
        if (attack.target) continue;
        // Only what it sampled while it was the user's (it ended well before its 300 samples): not one
        // sample of root's su.
        EXPECT_TRUE(text.find("Sampling ended because the process changed identity") != text.npos &&
                    text.find("\"su\"") == text.npos && std::stoi(headerValue(text, "Samples taken")) < 250)
            << attack.what << ": " << text;
        for (const auto& heading : expectConsistentTrees(text))
            EXPECT_TRUE(attack.changeling != su || heading.find(" \"sh\" ") != heading.npos) << heading;
    }
    // Nothing but the report, neither beside it nor in the working folder.
    EXPECT_EQ(treeListing(session.parent_path()), (std::vector<std::string>{"session/", "session/spinReport.txt"}));

    const std::string text = readFile(session / "spinReport.txt"), pid = std::to_string(own.pid());
    EXPECT_EQ(headerValue(text, "Process") + " " + headerValue(text, "Version"), "Scrivo [" + pid + "] 4.1.20");
    EXPECT_EQ(headerValue(text, "Executable"), (layout.scrivoBundle / "Contents/MacOS/Scrivo").string());
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    EXPECT_TRUE(samples > 30 && samples <= 300 && text.find("exited during sampling") == text.npos) << text;
    // Every thread has its section (a sanitizer build of the target adds a thread of its own), the
    // main thread's first. Both threads never leave their loops, so every sample passes through them.
    const auto headings = expectConsistentTrees(text);
    EXPECT_EQ(std::stoul(headerValue(text, "Thread count")), headings.size()) << text;
    const std::string n = std::to_string(samples), all = "    " + n + " samples";
    EXPECT_EQ(headings.front(), "Thread " + pid + " \"Scrivo\" (main thread)" + all) << text;
    // The idle loop in the main thread only, the worker's loop in the worker's only.
    const auto worker = text.find(" \"scrivo-worker\"" + all + "\n");
    EXPECT_TRUE(worker != text.npos && text.find(" " + n + "  ScrivoSampleIdleLoop (Scrivo)\n") < worker &&
                text.find("ScrivoSampleWorkerLoop") > worker &&
                text.find(" " + n + "  ScrivoSampleWorkerLoop (Scrivo)\n") != text.npos)
        << text;
}
