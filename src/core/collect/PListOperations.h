#pragma once

/// The target's verbose-logging switch in its preference file.
namespace PListOperations {

void EnableScrivoLogging(bool isScrivologgingEnabled);
void GetScrivoLogs(bool isScrivologgingEnabled);
void RevertScrivoLogPList(bool isScrivologgingEnabled);

/// At start-up, after the workspace exists: reverts a switch that an earlier run left on
/// (it ended without reverting) from the record kept in the workspace.
void revertLeftoverLogging();

}  // namespace PListOperations
