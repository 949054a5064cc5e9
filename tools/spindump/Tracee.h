#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <vector>

#include "base/Status.h"

namespace tarvix::spindump {

/// How stopping every thread went.
enum class Halt {
    Stopped,  ///< every thread that could be stopped is
    Exited,   ///< no thread is left
    Exec,     ///< a thread ran a new program: the process may now be someone else
};

/// Every thread of one process held with PTRACE_SEIZE: the threads run on between stop() and
/// resume(), and an exec is reported (PTRACE_O_TRACEEXEC) instead of passing unseen. Registers
/// and memory can be read through ptrace only while a thread is stopped. Detaches when destroyed.
class Tracee {
public:
    /// The errno of the first thread that could not be seized in the Failure.
    static tarvix::Result<std::unique_ptr<Tracee>> seize(pid_t pid);
    ~Tracee();
    Tracee(const Tracee&) = delete;
    Tracee& operator=(const Tracee&) = delete;

    /// Stops every thread, seizing those started since the last stop.
    Halt stop();
    /// Lets the stopped threads run on.
    void resume();
    /// The threads stopped now.
    std::vector<pid_t> stopped() const;

private:
    struct Thread {
        bool stopped = false;
        /// Stopped by a stop signal as well: it stays stopped when we let go (PTRACE_LISTEN).
        bool groupStop = false;
    };

    explicit Tracee(pid_t pid) : m_pid(pid) {}
    /// Seizes the threads /proc lists that are not held yet; the errno of the first failure, or 0.
    int seizeNew();
    /// Collects the stops of the interrupted threads until each has stopped or ended, for a
    /// bounded time: a thread that never reports (an exited leader waiting for its other threads)
    /// is not read.
    Halt collectStops();

    pid_t m_pid;
    std::map<pid_t, Thread> m_threads;
};

}  // namespace tarvix::spindump
