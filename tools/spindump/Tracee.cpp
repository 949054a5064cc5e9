#include "Tracee.h"

#include <dirent.h>
#include <sys/ptrace.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "platform/ProcFiles.h"

namespace tarvix::spindump {
namespace {

constexpr std::chrono::seconds kStopWait{1};

std::vector<pid_t> listThreads(pid_t pid)
{
    std::vector<pid_t> threads;
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
    if (!dir) return threads;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (const auto tid = platform::parsePid(name)) threads.push_back(*tid);
    }
    return threads;
}

bool isStopSignal(int signal)
{
    return signal == SIGSTOP || signal == SIGTSTP || signal == SIGTTIN || signal == SIGTTOU;
}

}  // namespace

tarvix::Result<std::unique_ptr<Tracee>> Tracee::seize(pid_t pid)
{
    std::unique_ptr<Tracee> tracee(new Tracee(pid));
    if (const int error = tracee->seizeNew(); error != 0) return tarvix::systemFailure(error, "PTRACE_SEIZE");
    if (tracee->m_threads.empty()) return tarvix::systemFailure(ESRCH);
    return tracee;
}

Tracee::~Tracee()
{
    // PTRACE_DETACH takes only a stopped thread.
    for (const auto& [tid, thread] : m_threads)
        if (!thread.stopped) ptrace(PTRACE_INTERRUPT, tid, nullptr, nullptr);
    collectStops();
    for (const auto& [tid, thread] : m_threads)
        if (thread.stopped) ptrace(PTRACE_DETACH, tid, nullptr, nullptr);
}

int Tracee::seizeNew()
{
    int firstError = 0;
    for (const pid_t tid : listThreads(m_pid)) {
        if (m_threads.count(tid)) continue;
        if (ptrace(PTRACE_SEIZE, tid, nullptr, PTRACE_O_TRACEEXEC) == 0)
            m_threads.emplace(tid, Thread{});
        else if (errno != ESRCH && firstError == 0)
            firstError = errno;
    }
    return firstError;
}

Halt Tracee::stop()
{
    seizeNew();
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if (!it->second.stopped && ptrace(PTRACE_INTERRUPT, it->first, nullptr, nullptr) != 0 && errno == ESRCH)
            it = m_threads.erase(it);
        else
            ++it;
    }
    return collectStops();
}

Halt Tracee::collectStops()
{
    Halt halt = Halt::Stopped;
    const auto deadline = std::chrono::steady_clock::now() + kStopWait;
    const auto waiting = [this] {
        return std::any_of(m_threads.begin(), m_threads.end(),
                           [](const auto& thread) { return !thread.second.stopped; });
    };
    while (waiting()) {
        int status = 0;
        const pid_t tid = waitpid(-1, &status, __WALL | WNOHANG);
        if (tid < 0 && errno == EINTR) continue;
        if (tid < 0) break;
        if (tid == 0) {
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        const auto thread = m_threads.find(tid);
        if (thread == m_threads.end() || !WIFSTOPPED(status)) {
            if (thread != m_threads.end()) m_threads.erase(thread);
            continue;
        }
        const int event = status >> 16, signal = WSTOPSIG(status);
        if (event == PTRACE_EVENT_EXEC) {
            // The interrupt is still pending and stops it again as soon as it runs: taken as the
            // stop here, it would hold every later round one stop behind and the program at its
            // first instruction.
            halt = Halt::Exec;
            ptrace(PTRACE_CONT, tid, nullptr, nullptr);
        } else if (event == PTRACE_EVENT_STOP) {
            thread->second.stopped = true;
            thread->second.groupStop = isStopSignal(signal);
        } else {
            // A signal on its way to the thread: it goes on now, and the interrupt's stop follows.
            ptrace(PTRACE_CONT, tid, nullptr, signal);
        }
    }
    return m_threads.empty() ? Halt::Exited : halt;
}

void Tracee::resume()
{
    for (auto& [tid, thread] : m_threads) {
        if (!thread.stopped) continue;
        ptrace(thread.groupStop ? PTRACE_LISTEN : PTRACE_CONT, tid, nullptr, nullptr);
        thread = Thread{};
    }
}

std::vector<pid_t> Tracee::stopped() const
{
    std::vector<pid_t> threads;
    for (const auto& [tid, thread] : m_threads)
        if (thread.stopped) threads.push_back(tid);
    return threads;
}

}  // namespace tarvix::spindump
