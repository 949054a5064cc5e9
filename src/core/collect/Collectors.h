#pragma once

#include <filesystem>

#include "base/Status.h"
#include "core/workspace/Session.h"

/// The collectors of the settings-and-logs task: each copies one group of the target's files
/// into the session's output folder. Each logs what it could not copy; a missing item of the
/// target's material is no failure of the collector, a group it could not collect at all is.
namespace tarvix {

/// Fails without a target chosen or when a preference file it found could not be copied.
tarvix::Status GetPropertyList(const tarvix::Session& session);
/// Fails when its folder could not be made or an item it found could not be copied.
tarvix::Status GetLicensingLogs(const tarvix::Session& session);
/// Also copies the updater tools' log of `systemLogFolder` ("/var/log"). Fails as
/// GetLicensingLogs does.
tarvix::Status GetInstallLogs(const tarvix::Session& session, const std::filesystem::path& systemLogFolder);
/// One optional item: fails only when it is there and could not be copied.
tarvix::Status GetIPMLogs(const tarvix::Session& session);

}  // namespace tarvix
