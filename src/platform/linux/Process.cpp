#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/Files.h"

extern char** environ;

namespace tarvix::platform {
namespace {

/// Close-on-exec and above the standard streams, so putting it on 0, 1 or 2 in the child never
/// overwrites another of ours (our own standard input may be closed: CI runs without one).
FileDescriptor aboveStandardStreams(int fd)
{
    if (fd < 0 || fd > STDERR_FILENO) return FileDescriptor(fd);
    FileDescriptor moved(::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
    ::close(fd);
    return moved;
}

struct Pipe {
    FileDescriptor read, write;
};

tarvix::Result<Pipe> makePipe()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return tarvix::systemFailure(errno, "pipe");
    Pipe pipe{aboveStandardStreams(fds[0]), aboveStandardStreams(fds[1])};
    if (!pipe.read || !pipe.write) return tarvix::systemFailure(errno, "pipe");
    return pipe;
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes)
{
    std::vector<std::string> entries;
    for (const std::string& text : childEnvironment())
        if (!changes.contains(text.substr(0, text.find('=')))) entries.push_back(text);
    for (const auto& [name, value] : changes) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

/// What the child does between fork and exec; all of it prepared before the fork, because only
/// async-signal-safe calls are allowed there.
struct ChildPlan {
    const char* program;
    char* const* argv;
    char* const* envp;
    const char* workingFolder;  ///< nullptr: stay
    pid_t parent;
    int input, output, error;  ///< error < 0: keep ours
    int execFailure;           ///< where the exec's errno goes when it fails
};

[[noreturn]] void failInChild(int fd, int error)
{
    [[maybe_unused]] const ssize_t written = ::write(fd, &error, sizeof error);
    ::_exit(127);
}

[[noreturn]] void becomeProgram(const ChildPlan& plan)
{
    // The death signal is set after the fork: a parent that died during it would go unnoticed.
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != plan.parent) ::_exit(127);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    // What our programs write is collected material: for the user alone, however lax our umask.
    ::umask(::umask(077) | 077);
    if (::dup2(plan.input, STDIN_FILENO) < 0 || ::dup2(plan.output, STDOUT_FILENO) < 0 ||
        (plan.error >= 0 && ::dup2(plan.error, STDERR_FILENO) < 0))
        failInChild(plan.execFailure, errno);
    if (plan.workingFolder && ::chdir(plan.workingFolder) != 0) failInChild(plan.execFailure, errno);
    ::execve(plan.program, plan.argv, plan.envp);
    failInChild(plan.execFailure, errno);
}

std::string readToEnd(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const auto got = readSome(fd, buffer, sizeof buffer);
        if (!got || *got == 0) return text;
        text.append(buffer, *got);
    }
}

}  // namespace

const std::vector<std::string>& childEnvironment()
{
    // Read once: setenv() from another thread may free what a reader of `environ` holds.
    static const std::vector<std::string> snapshot = [] {
        std::vector<std::string> entries;
        for (char** entry = environ; entry && *entry; ++entry) {
            const std::string_view text(*entry);
            // The launcher's token is for our window alone.
            if (!text.starts_with("XDG_ACTIVATION_TOKEN=")) entries.emplace_back(text);
        }
        return entries;
    }();
    return snapshot;
}

tarvix::Result<ProcessExit> runProcess(const ProcessCommand& command)
{
    const std::string program = command.program.string();
    if (!command.program.is_absolute()) return tarvix::Failure{program + ": not an absolute path", EINVAL};
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
    std::vector<std::string> environment = environmentWith(command.environment);
    const std::vector<char*> argv = pointersTo(arguments);
    const std::vector<char*> envp = pointersTo(environment);
    const std::string workingFolder = command.workingFolder ? command.workingFolder->string() : std::string();

    FileDescriptor devNull = aboveStandardStreams(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!devNull) return tarvix::systemFailure(errno, "/dev/null");
    auto execFailure = makePipe();
    if (!execFailure) return execFailure.failure();
    tarvix::Result<Pipe> lifeline = Pipe{};
    if (command.lifeline) lifeline = makePipe();
    tarvix::Result<Pipe> errors = Pipe{};
    if (command.captureStandardError) errors = makePipe();
    if (!lifeline) return lifeline.failure();
    if (!errors) return errors.failure();

    const ChildPlan plan{program.c_str(),
                         argv.data(),
                         envp.data(),
                         command.workingFolder ? workingFolder.c_str() : nullptr,
                         ::getpid(),
                         command.lifeline ? lifeline->read.get() : devNull.get(),
                         devNull.get(),
                         command.captureStandardError ? errors->write.get() : -1,
                         execFailure->write.get()};
    const pid_t pid = ::fork();
    if (pid < 0) return tarvix::systemFailure(errno, "fork");
    if (pid == 0) becomeProgram(plan);

    // The lifeline's write end stays open until the program has ended.
    lifeline->read.reset();
    errors->write.reset();
    execFailure->write.reset();
    int childError = 0;
    ssize_t got = 0;
    while ((got = ::read(execFailure->read.get(), &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    ProcessExit exit;
    if (got != sizeof childError && command.captureStandardError) exit.standardError = readToEnd(errors->read.get());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return tarvix::systemFailure(errno, "waitpid");
    }
    if (got == sizeof childError) return tarvix::systemFailure(childError, program);
    if (WIFEXITED(status))
        exit.status = WEXITSTATUS(status);
    else
        exit.signal = WTERMSIG(status);
    return exit;
}

}  // namespace tarvix::platform
