#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/Status.h"
#include "platform/Platform.h"
#include "platform/Process.h"

namespace tarvix::platform {

/// Runs `/bin/sh -c command` with folders.libexec first on PATH, unelevated. Blocks until it ends.
tarvix::Result<ProcessExit> doShellScript(const Platform& platform, const std::string& command);

/// The real path of Tarvix's tool `name` in folders.libexec when root may run it: the file and
/// every folder above it belong to root, and nobody else can change them. Otherwise why not.
tarvix::Result<std::filesystem::path> toolRootMayRun(const Folders& folders, const std::string& name);

/// Runs `tool` (an absolute path) with `arguments`, no shell in between. With administrator
/// privileges it goes through folders.elevationCommand, which then runs only `tool`; pass only a
/// path that toolRootMayRun gave. A tool that cannot be started ends as a shell's would: 127
/// when it is missing, 126 otherwise. Its standard input is a lifeline (see ProcessCommand).
tarvix::Result<ProcessExit> runTool(const Platform& platform, const std::filesystem::path& tool,
                                    const std::vector<std::string>& arguments, bool withAdministratorPrivileges);

/// The text the captures log: "nil", or the error dictionary with the exit status (128 + the
/// signal when one ended it; -1 when it could not run) and standard error.
std::string describe(const tarvix::Result<ProcessExit>& run);

}  // namespace tarvix::platform
