#include "Lifeline.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tarvix::spindump::lifeline {
namespace {

constexpr int kGone = 1;

/// Never destroyed: the watcher may still take it while the process exits.
std::mutex& writing()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

bool isPipe()
{
    struct stat info {};
    return fstat(STDIN_FILENO, &info) == 0 && S_ISFIFO(info.st_mode);
}

/// Waits up to `timeoutMs` (-1: for ever) for the lifeline to break; stray input is read away.
bool breaksWithin(int timeoutMs)
{
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (input.revents & (POLLHUP | POLLERR | POLLNVAL))) return true;
        if (ready == 0) return false;
        char buffer[256];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) return true;
    }
}

}  // namespace

void watch()
{
    if (!isPipe()) return;
    std::thread([] {
        breaksWithin(-1);
        std::lock_guard lock(writing());
        _exit(kGone);
    }).detach();
}

std::unique_lock<std::mutex> hold() { return std::unique_lock(writing()); }

bool broken() { return isPipe() && breaksWithin(0); }

}  // namespace tarvix::spindump::lifeline
