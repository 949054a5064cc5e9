#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "base/Status.h"
#include "core/workspace/Session.h"

/// The target's verbose-logging switch in its preference file.
namespace tarvix::PListOperations {

/// What an operation of the switch did; a failure says why instead.
struct SwitchOutcome {
    enum class Done {
        switchedOn,       ///< our entry went into the file
        alreadyOn,        ///< the file held our entry already (a switch whose revert failed)
        reverted,         ///< the entry the switch replaced is back (the key is gone when there was none)
        nothingToRevert,  ///< no switch to take back, or its file no longer holds our entry
    };
    Done done;
    /// After switching on: the switch the session holds (session.loggingSwitch); only its
    /// revert acts on it.
    std::shared_ptr<const LoggingSwitchRecord> loggingSwitch{};
};
using SwitchResult = tarvix::Result<SwitchOutcome>;

/// Writes the verbose-logging entry into the preference file of the session's target. A switch
/// an earlier session still holds is reverted first. Refused (log line, failure) when the switch
/// cannot be recorded in the workspace, the file cannot be written or has no dictionary for the
/// flavour.
SwitchResult EnableScrivoLogging(const tarvix::Session& session);
/// Copies the target's own log folder into the session's output folder; fails only when it is
/// there and could not be copied.
tarvix::Status GetScrivoLogs(const tarvix::Session& session);
/// Takes the session's entry out again (the user's earlier entry, if any, goes back); nothing when
/// a later session's start already did. A failed revert keeps the switch on record, and fails.
SwitchResult RevertScrivoLogPList(const tarvix::Session& session);

/// At start-up, after the workspace exists: reverts a switch that an earlier run left on
/// (it ended without reverting) from the record kept in the workspace's "System" folder. Fails
/// while the record stands (its file could not be reverted).
SwitchResult revertLeftoverLogging(const std::optional<std::filesystem::path>& systemFolder);

}  // namespace tarvix::PListOperations
