#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/ShellScript.h"

extern char** environ;

namespace platform {
namespace {

constexpr const char* kDefaultPath = "/usr/local/bin:/usr/bin:/bin";

/// Closes a descriptor once.
class Fd {
public:
    Fd() = default;
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

struct Pipe {
    Fd read, write;
    bool open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read.reset(fds[0]);
        write.reset(fds[1]);
        return true;
    }
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

/// PATH with Tarvix's tools first, so the captures' command lines find its spindump and
/// system_profiler before anything of the same name on the system.
std::string capturePath(const Folders& folders)
{
    const char* inherited = std::getenv("PATH");
    std::string path = inherited && *inherited ? inherited : kDefaultPath;
    if (!folders.libexec.empty()) path = folders.libexec.string() + ":" + path;
    return path;
}

/// Reads standard output (discarded, as the script's result is not used) and standard error
/// until both close, so a chatty command never blocks on a full pipe.
std::string drain(int outFd, int errFd)
{
    std::string errors;
    std::array<pollfd, 2> fds{pollfd{outFd, POLLIN, 0}, pollfd{errFd, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t got = ::read(fd.fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                fd.fd = -1;
                --open;
            } else if (fd.fd == errFd) {
                errors.append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    return errors;
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::optional<ScriptError> doShellScript(const Platform& platform, const std::string& command,
                                         bool withAdministratorPrivileges)
{
    // The elevation command (pkexec) clears the environment, so PATH travels as an argument of
    // env rather than in the environment.
    std::vector<std::string> arguments;
    if (withAdministratorPrivileges) arguments = platform.folders.elevationCommand;
    arguments.insert(arguments.end(),
                     {"/usr/bin/env", "PATH=" + capturePath(platform.folders), "/bin/sh", "-c", command});
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    Pipe out, err;
    if (!out.open() || !err.open()) return ScriptError{-1, std::strerror(errno)};
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), out.write.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), err.write.get(), STDERR_FILENO);

    pid_t pid = 0;
    const int spawnError = ::posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ);
    if (spawnError != 0) return ScriptError{-1, std::string(argv[0]) + ": " + std::strerror(spawnError)};
    out.write.reset();
    err.write.reset();

    std::string errors = drain(out.read.get(), err.read.get());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return ScriptError{-1, std::strerror(errno)};
    }
    while (!errors.empty() && errors.back() == '\n') errors.pop_back();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
    const int number = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return ScriptError{number, errors};
}

std::string describe(const std::optional<ScriptError>& error)
{
    if (!error) return "nil";
    return "{NSAppleScriptErrorMessage = \"" + escaped(error->NSAppleScriptErrorMessage) +
           "\"; NSAppleScriptErrorNumber = " + std::to_string(error->NSAppleScriptErrorNumber) + ";}";
}

}  // namespace platform
