#pragma once

#include <filesystem>

#include "core/workspace/Session.h"

/// The collectors of the settings-and-logs task: each copies one group of the target's files
/// into the session's output folder.
namespace UtilityFunctions {

bool GetPropertyList(const tarvix::Session& session);
bool GetLicensingLogs(const tarvix::Session& session);
/// Also copies the updater tools' log of `systemLogFolder` ("/var/log").
bool GetInstallLogs(const tarvix::Session& session, const std::filesystem::path& systemLogFolder);
void GetIPMLogs(const tarvix::Session& session);

}  // namespace UtilityFunctions
