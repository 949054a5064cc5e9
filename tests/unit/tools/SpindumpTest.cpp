#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "RunTool.h"
#include "sample_target/SampleInstall.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvix::test::commandLine;
using tarvix::test::readFile;
using tarvix::test::runTool;
using tarvix::test::TempDir;

namespace {

const std::string kSpindump = TARVIX_LIBEXEC_DIR "/spindump";
/// The user for whom pkexec runs it, and the attacker: both are any program of that user's.
constexpr uid_t kUser = 65534;

/// Standard input a pipe only while the program that started it lives; /dev/null is none.
std::string spindump(pid_t pid, const fs::path& report, const std::string& input = "</dev/null")
{
    return commandLine({kSpindump, std::to_string(pid), "-file", report}) + " " + input;
}

std::string asUser(uid_t uid, const std::string& command)
{
    const std::string id = std::to_string(uid);
    return "setpriv --reuid=" + id + " --regid=" + id + " --clear-groups sh -c " + tarvix::test::shellWord(command);
}

/// A folder of `uid`'s own, inside a test folder that root owns.
void giveTo(const fs::path& folder, uid_t uid)
{
    fs::create_directories(folder);
    ASSERT_EQ(chown(folder.c_str(), uid, uid), 0);
}

/// The value of a "Name:   value" header line, "" when missing.
std::string headerValue(const std::string& report, const std::string& name)
{
    std::smatch match;
    const bool found = std::regex_search(report, match, std::regex("^" + name + ": *(.*)$", std::regex::multiline));
    return found ? match.str(1) : "";
}

struct TreeLine {
    size_t indent;
    int count;
    std::string label;
};

struct ThreadSection {
    std::string heading;
    int samples = -1;
    std::vector<TreeLine> tree;
};

/// Each thread's section by thread id: "Thread TID "name" ... N samples", then "COUNT  FRAME" lines.
std::map<pid_t, ThreadSection> threadSections(const std::string& report)
{
    static const std::regex heading(R"re(^Thread (\d+) "(.*)".*\s(\d+) samples?$)re");
    static const std::regex node(R"(^( +)(\d+)  (.+)$)");
    std::map<pid_t, ThreadSection> sections;
    ThreadSection* section = nullptr;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, heading))
            section = &(sections[std::stoi(match[1])] = {line, std::stoi(match[3]), {}});
        else if (section && std::regex_match(line, match, node))
            section->tree.push_back({static_cast<size_t>(match[1].length()), std::stoi(match[2]), match[3]});
        else if (line.empty())
            section = nullptr;
    }
    return sections;
}

/// Every caller's count covers its callees' counts, and the top level adds up to the samples.
void expectConsistentCounts(const ThreadSection& section)
{
    int topLevel = 0;
    for (size_t i = 0; i < section.tree.size(); ++i) {
        const auto& caller = section.tree[i];
        if (caller.indent == 2) topLevel += caller.count;
        int callees = 0;
        for (size_t j = i + 1; j < section.tree.size() && section.tree[j].indent > caller.indent; ++j)
            if (section.tree[j].indent == caller.indent + 2) callees += section.tree[j].count;
        EXPECT_LE(callees, caller.count) << caller.label;
    }
    EXPECT_EQ(topLevel, section.samples) << section.heading;
}

int countOf(const ThreadSection& section, const std::string& label)
{
    for (const auto& line : section.tree)
        if (line.label == label) return line.count;
    return 0;
}

pid_t workerThreadOf(pid_t pid)
{
    std::error_code error;
    for (fs::directory_iterator it(fs::path("/proc") / std::to_string(pid) / "task", error), end; !error && it != end;
         it.increment(error))
        if (readFile(it->path() / "comm") == "scrivo-worker\n") return std::stoi(it->path().filename());
    return 0;
}

}  // namespace

TEST(Spindump, ReportsEveryThreadOfTheTargetWithItsIdleFunctions)
{
    TempDir root;
    // Run as pkexec runs it where it can: root, for the user who owns target and folder.
    const std::optional<uid_t> user = geteuid() == 0 ? std::optional(kUser) : std::nullopt;
    fs::permissions(root.path(), fs::perms::others_exec, fs::perm_options::add);
    auto layout = tarvix::sample::install(root.path());
    tarvix::sample::RunningInstance instance(layout.scrivoBundle, user);
    const pid_t pid = instance.pid();
    // The worker names itself just after it starts.
    pid_t worker = 0;
    for (int i = 0; i < 200 && !worker; ++i, std::this_thread::sleep_for(5ms)) worker = workerThreadOf(pid);
    ASSERT_NE(worker, 0);

    const fs::path work = root.path() / "work";
    fs::create_directories(work / "cwd");
    giveTo(work / "out", user.value_or(geteuid()));
    const std::string invoker = user ? "PKEXEC_UID=" + std::to_string(*user) + " " : "";
    auto result =
        runTool("cd " + commandLine({work / "cwd"}) + " && " + invoker + spindump(pid, work / "out/spinReport.txt"));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    struct stat report {};
    ASSERT_EQ(stat((work / "out/spinReport.txt").c_str(), &report), 0);
    EXPECT_EQ(report.st_uid, user.value_or(geteuid()));
    EXPECT_EQ(report.st_mode & 07777, 0600u);
    // Nothing but the report was written, neither beside it nor in the working folder.
    EXPECT_EQ(tarvix::test::treeListing(work), (std::vector<std::string>{"cwd/", "out/", "out/spinReport.txt"}));

    const std::string text = readFile(work / "out/spinReport.txt");
    for (const auto& [name, value] :
         std::map<std::string, std::string>{{"Process", "Scrivo [" + std::to_string(pid) + "]"},
                                            {"Executable", layout.scrivoBundle / "Contents/MacOS/Scrivo"},
                                            {"Identifier", "com.norvane.Scrivo.Pro"},
                                            {"Version", "4.1.20"},
                                            {"Sample interval", "10 ms"},
                                            {"Sample duration", "3 s"}})
        EXPECT_EQ(headerValue(text, name), value) << name;
    EXPECT_EQ(text.find("exited during sampling"), std::string::npos);
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    EXPECT_GT(samples, 30);
    EXPECT_LE(samples, 300);
    // Every thread has its section (a sanitizer build of the target adds a thread of its own).
    const auto sections = threadSections(text);
    EXPECT_EQ(std::stoul(headerValue(text, "Thread count")), sections.size()) << text;

    // Both threads never leave their loops, so every sample passes through them.
    for (const auto& [tid, name, loop] : {std::tuple{pid, "\"Scrivo\" (main thread)", "ScrivoSampleIdleLoop"},
                                          std::tuple{worker, "\"scrivo-worker\"", "ScrivoSampleWorkerLoop"}}) {
        ASSERT_EQ(sections.count(tid), 1u) << text;
        const ThreadSection& section = sections.at(tid);
        EXPECT_NE(section.heading.find(name), std::string::npos) << text;
        EXPECT_EQ(section.samples, samples);
        expectConsistentCounts(section);
        EXPECT_EQ(countOf(section, std::string(loop) + " (Scrivo)"), samples) << text;
    }
    EXPECT_EQ(countOf(sections.at(pid), "ScrivoSampleWorkerLoop (Scrivo)"), 0);
}

TEST(Spindump, ReportsWhatItSampledWhenTheProcessExits)
{
    TempDir root;
    tarvix::sample::RunningInstance instance(tarvix::sample::install(root.path()).scrivoBundle);
    const pid_t pid = instance.pid();
    const fs::path report = root.path() / "spinReport.txt";

    auto running = std::async(std::launch::async, [&] { return runTool(spindump(pid, report)); });
    std::this_thread::sleep_for(1s);
    instance.stop();
    const auto result = running.get();
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    const std::string text = readFile(report);
    EXPECT_NE(text.find("The process exited during sampling"), std::string::npos) << text;
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    EXPECT_GT(samples, 0);
    EXPECT_LT(samples, 300);
    EXPECT_LT(std::stoi(headerValue(text, "Sampled for")), 2900);
    const auto sections = threadSections(text);
    ASSERT_EQ(sections.count(pid), 1u) << text;
    EXPECT_EQ(sections.at(pid).samples, samples);
    expectConsistentCounts(sections.at(pid));
}

TEST(Spindump, RefusesBadRequestsWithoutWritingAReport)
{
    TempDir root;
    const std::string report = root.path() / "spinReport.txt";

    // A process id that was just freed: a child that has exited and been reaped.
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    auto result = runTool(spindump(gone, report));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "spindump: no such process: " + std::to_string(gone) + "\n");

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"12x", "-file", report},
                                               {"-4", "-file", report},
                                               {"0", "-file", report},
                                               {"1", "-out", report},
                                               {"1", "-file"},
                                               {"1", "-file", report, "extra"}}) {
        result = runTool(kSpindump + " " + commandLine(arguments));
        EXPECT_EQ(result.exitStatus, 2) << commandLine(arguments);
        EXPECT_NE(result.err.find("usage: spindump PID -file PATH"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(report));

    tarvix::sample::RunningInstance instance(tarvix::sample::install(root.path()).scrivoBundle);
    const pid_t pid = instance.pid();
    const auto expectRefusal = [&](const fs::path& path, const std::string& reason) {
        const auto refused = runTool(spindump(pid, path));
        EXPECT_EQ(refused.exitStatus, 1) << reason;
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
    };
    expectRefusal(root.path() / "missing" / "spinReport.txt", "spindump: cannot write");
    // A link planted where the report goes must not lead the write elsewhere.
    const fs::path victim = root.path() / "victim.txt";
    tarvix::test::writeExecutable(victim, "keep");
    fs::create_symlink(victim, report);
    expectRefusal(report, "symbolic link");
    EXPECT_EQ(readFile(victim), "keep");
    fs::remove(report);
    // Nor may a FIFO that nobody reads hold it up.
    ASSERT_EQ(mkfifo(report.c_str(), 0600), 0);
    expectRefusal(report, "not a regular file");
    fs::remove(report);

    if (geteuid() != 0) GTEST_SKIP() << "sampling another user's process needs root to set up";
    // Another user without the right to trace root's process.
    fs::permissions(root.path(), fs::perms::others_all, fs::perm_options::add);
    result = runTool("setpriv --reuid=65534 --regid=65534 --clear-groups " + spindump(pid, report));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("spindump: permission denied"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(report));
}

TEST(Spindump, RunForAUserItSamplesOnlyTheirProcessesAndWritesOnlyWhereTheyMay)
{
    if (geteuid() != 0) GTEST_SKIP() << "acting for another user needs root";
    TempDir root;
    fs::permissions(root.path(), fs::perms::others_exec, fs::perm_options::add);
    const auto layout = tarvix::sample::install(root.path());
    tarvix::sample::RunningInstance own(layout.scrivoBundle, kUser);
    tarvix::sample::RunningInstance roots(layout.scrivoBundle);
    tarvix::sample::RunningInstance anothers(layout.scrivoBundle, kUser - 1);
    // A bundle of the user's whose Info.plist nobody ever writes into.
    const fs::path trap = tarvix::sample::writeBundle(root.path() / "trap", tarvix::sample::Edition::Scrivo, "4.1.20");
    fs::remove(trap / "Contents/Info.plist");
    ASSERT_EQ(mkfifo((trap / "Contents/Info.plist").c_str(), 0644), 0);
    tarvix::sample::RunningInstance trapped(trap, kUser);

    const fs::path home = root.path() / "home";
    const fs::path session = home / "session";
    const fs::path guarded = root.path() / "guarded";  // root's, not the user's to write in
    const std::string swapSession = "rm -r " + commandLine({session}) + " && ln -s " + commandLine({guarded, session});
    struct Attack {
        std::string what;
        pid_t target;
        std::string byUser;  ///< run as the user before spindump starts
        std::string input;
        std::string guardedReport;  ///< "" for none
        int status;
        std::string err;
    };
    for (const Attack& attack : std::vector<Attack>{
             {"session folder swapped for root's", own.pid(), swapSession, "</dev/null", "", 1, "cannot write"},
             {"swapped, a report of root's there", own.pid(), swapSession, "</dev/null", "keep", 1, "cannot write"},
             {"root's process", roots.pid(), "", "</dev/null", "", 1, "refusing to sample process"},
             {"another user's process", anothers.pid(), "", "</dev/null", "", 1, "refusing to sample process"},
             {"Tarvix gone before the report", own.pid(), "", "", "", 1, ""},
             {"a FIFO as Info.plist", trapped.pid(), "", "</dev/null", "", 0, ""}}) {
        fs::remove_all(guarded);
        fs::create_directories(guarded);
        if (!attack.guardedReport.empty()) tarvix::test::writeFile(guarded / "spinReport.txt", attack.guardedReport);
        giveTo(home, kUser);
        fs::remove_all(session);
        giveTo(session, kUser);
        if (!attack.byUser.empty()) {
            ASSERT_EQ(runTool(asUser(kUser, attack.byUser)).exitStatus, 0) << attack.what;
        }

        const std::string feed = attack.input.empty() ? "sleep 1 | " : "";
        const auto result = runTool(feed + "PKEXEC_UID=" + std::to_string(kUser) + " timeout 30 " +
                                    spindump(attack.target, session / "spinReport.txt", attack.input));
        EXPECT_EQ(result.exitStatus, attack.status) << attack.what << ": " << result.err;
        EXPECT_NE(result.err.find(attack.err), std::string::npos) << attack.what << ": " << result.err;
        if (attack.guardedReport.empty()) {
            EXPECT_EQ(fs::exists(session / "spinReport.txt"), attack.status == 0) << attack.what;
            EXPECT_EQ(tarvix::test::treeListing(guarded), std::vector<std::string>{}) << attack.what;
        } else {
            EXPECT_EQ(tarvix::test::treeListing(guarded), std::vector<std::string>{"spinReport.txt"}) << attack.what;
            EXPECT_EQ(readFile(guarded / "spinReport.txt"), attack.guardedReport) << attack.what;
        }
    }
}
