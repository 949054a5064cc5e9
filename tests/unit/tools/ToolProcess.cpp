#include "ToolProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace tarvix::test {
namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::optional<std::string>>& changes)
{
    std::map<std::string, std::string> values;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos) values[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) {
        if (value)
            values[name] = *value;
        else
            values.erase(name);
    }
    std::vector<std::string> merged;
    for (const auto& [name, value] : values) merged.push_back(name + "=" + value);
    return merged;
}

}  // namespace

ToolProcess::ToolProcess(const ToolCommand& command)
{
    // Everything the child needs is prepared here: after fork only async-signal-safe calls.
    std::vector<std::string> environment = mergedEnvironment(command.environment);
    std::vector<char*> envp, argv;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = command.arguments;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string folder = command.workingFolder.string();
    gid_t group = 0;
    if (command.user) {
        passwd* entry = getpwuid(*command.user);
        group = entry ? entry->pw_gid : static_cast<gid_t>(*command.user);
    }

    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (chdir(folder.c_str()) != 0) _exit(126);
        if (command.user && (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(*command.user) != 0))
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    m_out = out[0];
    m_err = err[0];
}

ToolProcess::~ToolProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        wait();
    }
}

ToolResult ToolProcess::wait()
{
    ToolResult result;
    pollfd streams[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int openStreams = 2;
    while (openStreams > 0) {
        if (poll(streams, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || !streams[i].revents) continue;
            char buffer[4096];
            ssize_t got = read(streams[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(streams[i].fd);
                streams[i].fd = -1;
                --openStreams;
            }
        }
    }
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {}
    m_pid = -1;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace tarvix::test
