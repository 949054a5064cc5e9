#pragma once

#include <filesystem>
#include <optional>

#include "core/workspace/Session.h"

/// The target's verbose-logging switch in its preference file.
namespace tarvix::PListOperations {

/// Writes the verbose-logging entry into the preference file of the session's target; the
/// session then holds the switch (session.loggingSwitch). A switch an earlier session still holds
/// is reverted first. Refused (log line) when the switch cannot be recorded in the workspace.
void EnableScrivoLogging(bool isScrivologgingEnabled, tarvix::Session& session);
/// Copies the target's own log folder into the session's output folder.
void GetScrivoLogs(bool isScrivologgingEnabled, const tarvix::Session& session);
/// Takes the session's entry out again (the user's earlier entry, if any, goes back); nothing when
/// a later session's start already did. A failed revert keeps the switch on record.
void RevertScrivoLogPList(bool isScrivologgingEnabled, const tarvix::Session& session);

/// At start-up, after the workspace exists: reverts a switch that an earlier run left on
/// (it ended without reverting) from the record kept in the workspace's "System" folder.
void revertLeftoverLogging(const std::optional<std::filesystem::path>& systemFolder);

}  // namespace tarvix::PListOperations
