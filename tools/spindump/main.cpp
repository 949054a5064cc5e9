// spindump PID -file PATH: samples every thread of a running process and writes a text report
// of its call stacks to PATH. Run by the data-dump capture, usually with administrator rights.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "ProcessInfo.h"
#include "Report.h"
#include "Sampler.h"

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int usage(const std::string& problem)
{
    std::cerr << "spindump: " << problem << "\nusage: spindump PID -file PATH\n";
    return kUsageError;
}

std::optional<pid_t> parsePid(const std::string& text)
{
    pid_t pid = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (error != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
    return pid;
}

std::string currentUserName()
{
    passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : std::to_string(geteuid());
}

std::string permissionHint(const spindump::ProcessInfo& process)
{
    if (process.tracerPid != 0) return "it is already being traced by process " + std::to_string(process.tracerPid);
    if (geteuid() == 0) return "the system does not allow tracing it";
    if (process.uid == geteuid())
        return "the system lets only root trace it (kernel.yama.ptrace_scope); run spindump as root";
    return "run spindump as root or as that user";
}

/// Run through pkexec, the report would belong to root inside the user's own session folder;
/// hand it to the user who asked for it.
void giveToInvokingUser(int fd)
{
    const char* invoker = std::getenv("PKEXEC_UID");
    if (!invoker || geteuid() != 0) return;
    auto uid = parsePid(invoker);
    if (!uid) return;
    passwd* entry = getpwuid(static_cast<uid_t>(*uid));
    if (fchown(fd, static_cast<uid_t>(*uid), entry ? entry->pw_gid : static_cast<gid_t>(-1)) != 0)
        std::cerr << "spindump: could not hand the report to user " << *uid << ": " << std::strerror(errno) << '\n';
}

bool writeAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Symbols come from the files on this machine only; a sampling tool must not wait on the network.
    unsetenv("DEBUGINFOD_URLS");

    if (argc != 4 || std::string(argv[2]) != "-file") return usage("expected a process id and -file PATH");
    auto pid = parsePid(argv[1]);
    if (!pid) return usage("invalid process id '" + std::string(argv[1]) + "'");
    const std::string path = argv[3];
    if (path.empty()) return usage("empty output path");
    if (*pid == getpid()) return usage("cannot sample itself");

    auto process = spindump::readProcessInfo(*pid);
    if (!process) {
        std::cerr << "spindump: no such process: " << *pid << '\n';
        return kFailure;
    }

    spindump::AttachError attachError;
    auto sampler = spindump::Sampler::attach(*pid, attachError);
    if (!sampler) {
        switch (attachError.failure) {
        case spindump::AttachFailure::NoSuchProcess: std::cerr << "spindump: no such process: " << *pid << '\n'; break;
        case spindump::AttachFailure::PermissionDenied:
            std::cerr << "spindump: permission denied: cannot sample process " << *pid << " (" << process->name
                      << ", user " << process->userName << ") as user " << currentUserName() << "; "
                      << permissionHint(*process) << " (" << attachError.message << ")\n";
            break;
        case spindump::AttachFailure::Other:
            std::cerr << "spindump: cannot sample process " << *pid << " (" << process->name
                      << "): " << attachError.message << '\n';
            break;
        }
        return kFailure;
    }

    // Opened before sampling so an unwritable path fails at once. O_NOFOLLOW: with administrator
    // rights, a link planted at PATH must not redirect the write to another file.
    // O_NONBLOCK: a FIFO at PATH must not hold the capture until someone reads it.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat file {};
    if (fd < 0 || fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
        int error = errno;
        std::string reason = error == ELOOP ? "it is a symbolic link" : std::strerror(error);
        if (fd >= 0) {
            reason = "it is not a regular file";
            close(fd);
        } else if (error == ENXIO) {
            reason = "it is not a regular file";
        }
        std::cerr << "spindump: cannot write " << path << ": " << reason << '\n';
        return kFailure;
    }
    giveToInvokingUser(fd);

    const time_t sampledAt = std::time(nullptr);
    auto sampling = sampler->run();
    std::ostringstream report;
    spindump::writeReport(report, *process, sampling, sampledAt);
    bool written = writeAll(fd, report.str());
    int writeError = errno;
    if (close(fd) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        std::cerr << "spindump: cannot write " << path << ": " << std::strerror(writeError) << '\n';
        return kFailure;
    }
    return 0;
}
