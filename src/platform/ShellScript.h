#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace platform {

/// The failure of a shell script, as the captures log it.
struct ScriptError {
    int NSAppleScriptErrorNumber = 0;       ///< exit status (or -1 when it could not start)
    std::string NSAppleScriptErrorMessage;  ///< standard error, trailing line feed removed
};

/// Runs `/bin/sh -c command` with folders.libexec first on PATH; with administrator privileges
/// through folders.elevationCommand. Blocks until the command ends. Absent on success.
std::optional<ScriptError> doShellScript(const Platform& platform, const std::string& command,
                                         bool withAdministratorPrivileges);

/// Text form used in the log.
std::string describe(const std::optional<ScriptError>& error);

}  // namespace platform
