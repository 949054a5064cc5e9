#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"

namespace tarvix::platform {

/// One program to run, by absolute path: nothing is looked up on PATH.
struct ProcessCommand {
    std::filesystem::path program;
    /// argv[1] on; argv[0] is `program`.
    std::vector<std::string> arguments;
    /// Where it starts; our own working folder when absent.
    std::optional<std::filesystem::path> workingFolder;
    /// Set in its environment, over childEnvironment().
    std::map<std::string, std::string> environment;
    /// Standard input is a pipe whose other end only this process holds, until the program has
    /// ended: a program that may outlive us without the death signal (one a setuid program
    /// started) sees it close when we are gone. Otherwise standard input is /dev/null.
    bool lifeline = false;
    /// Standard error is read into ProcessExit::standardError; otherwise it goes where ours goes.
    bool captureStandardError = true;
};

/// How a program ended.
struct ProcessExit {
    /// Its exit status; absent when a signal ended it.
    std::optional<int> status;
    /// The signal that ended it, 0 when it exited.
    int signal = 0;
    std::string standardError;

    bool succeeded() const { return status == 0; }
};

/// The environment every child starts from (ProcessCommand::environment goes over it): this
/// process's as it was when first asked, which Platform::fromSystem does at start-up, before a
/// second thread runs; the launcher's activation token left out. Children never see a later change.
const std::vector<std::string>& childEnvironment();

/// Starts `command` and waits for it on the calling thread, which therefore outlives it: the
/// program gets SIGTERM when this thread ends first (Tarvix quits or dies). Standard output goes
/// to /dev/null; what it creates is owner-only (its umask gains 077). A Failure when it could
/// not start (the errno of the exec) or be waited for.
tarvix::Result<ProcessExit> runProcess(const ProcessCommand& command);

}  // namespace tarvix::platform
