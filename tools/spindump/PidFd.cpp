#include "PidFd.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace tarvix::spindump {

// Raw system calls: this glibc has no wrappers for them yet.
tarvix::Result<PidFd> PidFd::open(pid_t pid)
{
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return tarvix::systemFailure(errno, "pidfd_open");
    return PidFd(pid, tarvix::platform::FileDescriptor(fd));
}

bool PidFd::alive() const
{
    // EPERM: it lives, but is not ours to signal.
    return syscall(SYS_pidfd_send_signal, m_fd.get(), 0, nullptr, 0) == 0 || errno == EPERM;
}

}  // namespace tarvix::spindump
