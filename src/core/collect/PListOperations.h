#pragma once

#include <atomic>
#include <filesystem>
#include <optional>

#include "core/workspace/Guarded.h"

/// The target's verbose-logging switch in its preference file.
namespace PListOperations {

void EnableScrivoLogging(bool isScrivologgingEnabled);
void GetScrivoLogs(bool isScrivologgingEnabled);
void RevertScrivoLogPList(bool isScrivologgingEnabled);

/// At start-up, after the workspace exists: reverts a switch that an earlier run left on
/// (it ended without reverting) from the record kept in the workspace.
void revertLeftoverLogging();

/// The preference file the switch was written to; set by EnableScrivoLogging.
extern tarvix::Guarded<std::optional<std::filesystem::path>> PListURL;
/// True once the entry was written, false again after revert.
extern std::atomic<bool> PListUpdated;

/// Forgets the in-memory state (as a new process would). For tests.
void resetForTesting();

}  // namespace PListOperations
