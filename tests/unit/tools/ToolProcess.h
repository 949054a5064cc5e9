#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvix::test {

struct ToolResult {
    int exitStatus = -1;  ///< -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

/// One run of a tool as a child process: its own environment, working folder and, when running
/// as root, optionally another user. Standard output and error are collected.
struct ToolCommand {
    ToolCommand(std::vector<std::string> programAndArguments) : arguments(std::move(programAndArguments)) {}

    std::vector<std::string> arguments;  ///< arguments[0] is the program's path
    /// Changes to this process's environment: a value sets, std::nullopt removes.
    std::map<std::string, std::optional<std::string>> environment;
    std::filesystem::path workingFolder = "/";
    std::optional<uid_t> user;
};

class ToolProcess {
public:
    explicit ToolProcess(const ToolCommand& command);
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    /// Reads both streams to their end and reaps the tool.
    ToolResult wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

inline ToolResult runTool(const ToolCommand& command) { return ToolProcess(command).wait(); }

}  // namespace tarvix::test
