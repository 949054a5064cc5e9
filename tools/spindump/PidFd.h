#pragma once

#include <sys/types.h>

#include "base/Status.h"
#include "platform/Files.h"

namespace tarvix::spindump {

/// A hold on one process. While alive() answers true, its pid names no other process, so what
/// was read under that pid before the call was the held process's own.
class PidFd {
public:
    static tarvix::Result<PidFd> open(pid_t pid);

    pid_t pid() const { return m_pid; }
    /// Not yet reaped (an exited process waiting for its parent still holds its pid).
    bool alive() const;

private:
    PidFd(pid_t pid, tarvix::platform::FileDescriptor fd) : m_pid(pid), m_fd(std::move(fd)) {}

    pid_t m_pid;
    tarvix::platform::FileDescriptor m_fd;
};

}  // namespace tarvix::spindump
