#include "platform/ShellScript.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/Format.h"
#include "platform/Process.h"

namespace fs = std::filesystem;

namespace tarvix::platform {
namespace {

constexpr const char* kDefaultPath = "/usr/local/bin:/usr/bin:/bin";
constexpr int kCannotRun = 126;
constexpr int kNotFound = 127;

/// PATH with Tarvix's tools first, so the captures' command lines find its spindump and
/// system_profiler before anything of the same name on the system.
std::string capturePath(const Folders& folders)
{
    std::string path = kDefaultPath;
    for (const std::string& entry : childEnvironment())
        if (entry.starts_with("PATH=") && entry.size() > 5) path = entry.substr(5);
    if (!folders.libexec.empty()) path = folders.libexec.string() + ":" + path;
    return path;
}

}  // namespace

tarvix::Result<ProcessExit> doShellScript(const Platform& platform, const std::string& command)
{
    ProcessCommand shell;
    shell.program = "/bin/sh";
    shell.arguments = {"-c", command};
    shell.environment["PATH"] = capturePath(platform.folders);
    return runProcess(shell);
}

tarvix::Result<fs::path> toolRootMayRun(const Folders& folders, const std::string& name)
{
    // A relative folder would be looked up from wherever Tarvix was started.
    if (!folders.libexec.is_absolute()) return tarvix::Failure{"the folder of Tarvix's tools is not known"};
    std::error_code error;
    const fs::path tool = fs::canonical(folders.libexec / name, error);
    if (error)
        return tarvix::Failure{(folders.libexec / name).string() + ": " + tarvix::errorText(error), error.value()};
    // Canonical, so no component is a link: each is checked as what it is.
    for (fs::path item = tool;; item = item.parent_path()) {
        struct stat info {};
        if (::lstat(item.c_str(), &info) != 0) return tarvix::systemFailure(errno, item.string());
        if (item == tool && !S_ISREG(info.st_mode)) return tarvix::Failure{item.string() + " is not a regular file"};
        if (info.st_uid != 0)
            return tarvix::Failure{item.string() + " belongs to user " + std::to_string(info.st_uid) + ", not root"};
        // Others may add entries to a sticky folder (/tmp) but not replace root's, which the
        // previous round checked.
        const bool sticky = S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX);
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) && !sticky)
            return tarvix::Failure{item.string() + " is writable by others than root"};
        if (item == item.root_path()) return tool;
    }
}

tarvix::Result<ProcessExit> runTool(const Platform& platform, const fs::path& tool,
                                    const std::vector<std::string>& arguments, bool withAdministratorPrivileges)
{
    ProcessCommand command;
    command.program = tool;
    command.arguments = arguments;
    command.lifeline = true;
    const std::vector<std::string>& elevation = platform.folders.elevationCommand;
    if (withAdministratorPrivileges && !elevation.empty()) {
        command.program = elevation.front();
        command.arguments.assign(elevation.begin() + 1, elevation.end());
        command.arguments.push_back(tool.string());
        command.arguments.insert(command.arguments.end(), arguments.begin(), arguments.end());
    }
    auto run = runProcess(command);
    if (run || command.program != tool) return run;
    return ProcessExit{.status = run.failure().errorNumber == ENOENT ? kNotFound : kCannotRun,
                       .standardError = run.message()};
}

std::string describe(const tarvix::Result<ProcessExit>& run)
{
    if (run && run->succeeded()) return "nil";
    int number = -1;
    std::string message = run ? run->standardError : run.message();
    if (run) number = run->status ? *run->status : 128 + run->signal;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    return "{NSAppleScriptErrorMessage = \"" + tarvix::escapedForQuotes(message) +
           "\"; NSAppleScriptErrorNumber = " + std::to_string(number) + ";}";
}

}  // namespace tarvix::platform
