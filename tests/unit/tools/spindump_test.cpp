#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "ToolProcess.h"
#include "sample_target/SampleInstall.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tarvix::test::runTool;
using tarvix::test::TempDir;
using tarvix::test::ToolCommand;

namespace {

const std::string kSpindump = TARVIX_LIBEXEC_DIR "/spindump";

std::string readFile(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

/// The value of a "Name:   value" header line, "" when missing.
std::string headerValue(const std::string& report, const std::string& name)
{
    for (const auto& line : lines(report))
        if (line.rfind(name + ":", 0) == 0) {
            auto value = line.substr(name.size() + 1);
            return value.substr(value.find_first_not_of(' '));
        }
    return {};
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

const std::regex kThreadHeading(R"re(^Thread (\d+) "(.*)".*\s(\d+) samples?$)re");

int threadSectionCount(const std::string& report)
{
    int count = 0;
    for (const auto& line : lines(report)) count += std::regex_match(line, kThreadHeading);
    return count;
}

/// The section of one thread: "Thread TID "name" ... N samples", then "COUNT  FRAME" lines.
ThreadSection threadSection(const std::string& report, pid_t tid)
{
    ThreadSection section;
    static const std::regex node(R"(^( +)(\d+)  (.+)$)");
    bool inside = false;
    for (const auto& line : lines(report)) {
        std::smatch match;
        if (std::regex_match(line, match, kThreadHeading)) {
            inside = std::stoi(match[1]) == tid;
            if (inside) {
                section.heading = line;
                section.samples = std::stoi(match[3]);
            }
        } else if (inside && std::regex_match(line, match, node)) {
            section.tree.push_back({static_cast<size_t>(match[1].length()), std::stoi(match[2]), match[3]});
        } else if (inside && line.empty()) {
            break;
        }
    }
    return section;
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
    for (fs::directory_iterator it(fs::path("/proc") / std::to_string(pid) / "task", error), end;
         !error && it != end; it.increment(error)) {
        if (readFile(it->path() / "comm") == "scrivo-worker\n") return std::stoi(it->path().filename());
    }
    return 0;
}

std::vector<std::string> folderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Spindump, ReportsEveryThreadOfTheTargetWithItsIdleFunctions)
{
    TempDir root;
    auto layout = tarvix::sample::install(root.path());
    tarvix::sample::RunningInstance instance(layout.scrivoBundle);
    // The worker names itself just after it starts.
    pid_t worker = 0;
    for (int i = 0; i < 200 && !worker; ++i, std::this_thread::sleep_for(5ms)) worker = workerThreadOf(instance.pid());
    ASSERT_NE(worker, 0);

    fs::create_directories(root.path() / "out");
    fs::create_directories(root.path() / "cwd");
    const fs::path report = root.path() / "out" / "spinReport.txt";
    ToolCommand command({kSpindump, std::to_string(instance.pid()), "-file", report.string()});
    command.workingFolder = root.path() / "cwd";
    auto result = runTool(command);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // Nothing but the report was written, neither beside it nor in the working folder.
    EXPECT_EQ(folderEntries(root.path() / "out"), std::vector<std::string>{"spinReport.txt"});
    EXPECT_TRUE(folderEntries(root.path() / "cwd").empty());

    const std::string text = readFile(report);
    EXPECT_EQ(headerValue(text, "Process"), "Scrivo [" + std::to_string(instance.pid()) + "]") << text;
    EXPECT_EQ(headerValue(text, "Executable"), (layout.scrivoBundle / "Contents/MacOS/Scrivo").string());
    EXPECT_EQ(headerValue(text, "Identifier"), "com.norvane.Scrivo.Pro");
    EXPECT_EQ(headerValue(text, "Version"), "4.1.20");
    // Every thread has its section (a sanitizer build of the target adds a thread of its own).
    EXPECT_EQ(std::stoi(headerValue(text, "Thread count")), threadSectionCount(text)) << text;
    EXPECT_EQ(headerValue(text, "Sample interval"), "10 ms");
    EXPECT_EQ(headerValue(text, "Sample duration"), "3 s");
    EXPECT_EQ(text.find("exited during sampling"), std::string::npos);
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    EXPECT_GT(samples, 30);
    EXPECT_LE(samples, 300);

    auto mainThread = threadSection(text, instance.pid());
    EXPECT_NE(mainThread.heading.find("\"Scrivo\" (main thread)"), std::string::npos) << text;
    EXPECT_EQ(mainThread.samples, samples);
    expectConsistentCounts(mainThread);
    // The main thread never leaves its idle loop, so every sample passes through it.
    EXPECT_EQ(countOf(mainThread, "ScrivoSampleIdleLoop (Scrivo)"), samples) << text;
    EXPECT_EQ(countOf(mainThread, "ScrivoSampleWorkerLoop (Scrivo)"), 0);

    auto workerThread = threadSection(text, worker);
    EXPECT_NE(workerThread.heading.find("\"scrivo-worker\""), std::string::npos) << text;
    EXPECT_EQ(workerThread.samples, samples);
    expectConsistentCounts(workerThread);
    EXPECT_EQ(countOf(workerThread, "ScrivoSampleWorkerLoop (Scrivo)"), samples) << text;
}

TEST(Spindump, ReportsWhatItSampledWhenTheProcessExits)
{
    TempDir root;
    auto layout = tarvix::sample::install(root.path());
    tarvix::sample::RunningInstance instance(layout.scrivoBundle);
    const pid_t pid = instance.pid();
    const fs::path report = root.path() / "spinReport.txt";

    // Run through pkexec, the report goes to the user who asked for it.
    ToolCommand command({kSpindump, std::to_string(pid), "-file", report.string()});
    command.environment["PKEXEC_UID"] = "65534";
    tarvix::test::ToolProcess spindump(command);
    std::this_thread::sleep_for(1s);
    instance.stop();
    auto result = spindump.wait();
    ASSERT_EQ(result.exitStatus, 0) << result.err;

    struct stat owner{};
    ASSERT_EQ(stat(report.c_str(), &owner), 0);
    EXPECT_EQ(owner.st_uid, geteuid() == 0 ? 65534u : geteuid());

    const std::string text = readFile(report);
    EXPECT_NE(text.find("The process exited during sampling"), std::string::npos) << text;
    const int samples = std::stoi(headerValue(text, "Samples taken"));
    EXPECT_GT(samples, 0);
    EXPECT_LT(samples, 300);
    EXPECT_LT(std::stoi(headerValue(text, "Sampled for")), 2900);
    auto mainThread = threadSection(text, pid);
    EXPECT_EQ(mainThread.samples, samples);
    expectConsistentCounts(mainThread);
}

TEST(Spindump, RefusesBadRequestsWithoutWritingAReport)
{
    TempDir root;
    const fs::path report = root.path() / "spinReport.txt";

    // A process id that was just freed: a child that has exited and been reaped.
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    auto result = runTool(ToolCommand({kSpindump, std::to_string(gone), "-file", report.string()}));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "spindump: no such process: " + std::to_string(gone) + "\n");

    for (std::vector<std::string> arguments : {std::vector<std::string>{},
                                               {"12x", "-file", report.string()},
                                               {"-4", "-file", report.string()},
                                               {"0", "-file", report.string()},
                                               {"1", "-out", report.string()},
                                               {"1", "-file"},
                                               {"1", "-file", report.string(), "extra"}}) {
        arguments.insert(arguments.begin(), kSpindump);
        result = runTool(ToolCommand(arguments));
        EXPECT_EQ(result.exitStatus, 2) << arguments.size();
        EXPECT_NE(result.err.find("usage: spindump PID -file PATH"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(report));

    tarvix::sample::RunningInstance instance(tarvix::sample::install(root.path()).scrivoBundle);
    const std::string pid = std::to_string(instance.pid());

    result = runTool(ToolCommand({kSpindump, pid, "-file", (root.path() / "missing" / "spinReport.txt").string()}));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("spindump: cannot write"), std::string::npos) << result.err;

    // A link planted where the report goes must not lead the write elsewhere.
    const fs::path victim = root.path() / "victim.txt";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, report);
    result = runTool(ToolCommand({kSpindump, pid, "-file", report.string()}));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("symbolic link"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(victim), "keep");
    fs::remove(report);
    // Nor may a FIFO that nobody reads hold it up.
    ASSERT_EQ(mkfifo(report.c_str(), 0600), 0);
    result = runTool(ToolCommand({kSpindump, pid, "-file", report.string()}));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
    fs::remove(report);

    if (geteuid() != 0) GTEST_SKIP() << "sampling another user's process needs root to set up";
    // Another user without the right to trace root's process.
    fs::permissions(root.path(), fs::perms::others_all, fs::perm_options::add);
    ToolCommand asNobody({kSpindump, pid, "-file", report.string()});
    asNobody.user = 65534;
    result = runTool(asNobody);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("spindump: permission denied"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(report));
}
