#include "sample_target/RunningInstance.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace tarvix::sample {
namespace {

std::size_t threadCount(pid_t pid)
{
    std::error_code error;
    std::size_t count = 0;
    for (fs::directory_iterator it(fs::path("/proc") / std::to_string(pid) / "task", error), end; !error && it != end;
         it.increment(error))
        ++count;
    return count;
}

/// Reaps `pid` if it has ended; waits at most `limit`.
bool reapWithin(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        int status = 0;
        const pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid || (got < 0 && errno == ECHILD)) return true;
        std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace

RunningInstance::RunningInstance(const fs::path& bundle, std::optional<uid_t> user, bool realOnly)
{
    const fs::path program = bundle / "Contents" / "MacOS" / bundle.stem();
    const std::string programText = program.string();
    // setpriv execs the program in its own place, so the pid is the program's.
    const std::string ids = realOnly ? "--r" : "--re";
    std::vector<std::string> words{"/usr/bin/setpriv", ids + "uid=" + std::to_string(user.value_or(0)),
                                   ids + "gid=" + std::to_string(user.value_or(0)), "--clear-groups", "--"};
    if (!user) words.clear();
    words.push_back(programText);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    // The program writes nothing; its standard streams go nowhere, so an instance that outlives
    // a pipeline (tarvix-sample-sandbox --detach | ...) never holds the pipe open.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY,
                                         0);
    int error = 0;
    // A copy written by another thread of the test a moment ago may still be open somewhere for
    // a few milliseconds (ETXTBSY); retry briefly.
    for (int attempt = 0; attempt < 50; ++attempt) {
        error = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        if (error != ETXTBSY) break;
        std::this_thread::sleep_for(20ms);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        m_pid = 0;
        throw std::runtime_error("sample: cannot start " + programText + ": " + std::strerror(error));
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (threadCount(m_pid) < 2) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = 0;
            throw std::runtime_error("sample: " + programText + " ended at start-up");
        }
        if (std::chrono::steady_clock::now() > deadline) {
            stop();
            throw std::runtime_error("sample: " + programText + " did not come up");
        }
        std::this_thread::sleep_for(5ms);
    }
}

RunningInstance::RunningInstance(RunningInstance&& other) noexcept : m_pid(other.m_pid) { other.m_pid = 0; }

RunningInstance::~RunningInstance() { stop(); }

bool RunningInstance::stop()
{
    if (m_pid <= 0) return false;
    const pid_t pid = m_pid;
    m_pid = 0;
    ::kill(pid, SIGTERM);
    if (reapWithin(pid, 5s)) return true;
    ::kill(pid, SIGKILL);
    reapWithin(pid, 5s);
    return false;
}

}  // namespace tarvix::sample
