#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/Status.h"
#include "core/collect/PreferenceFile.h"

namespace tarvix::PListOperations {

/// One logging switch that is on: where, for which flavour, and what it replaced. While it is on,
/// the workspace keeps it as "System"/"ScrivoLoggingSwitch.plist", so a run that ends without
/// reverting (killed, crashed) is reverted at the next start-up.
struct LoggingSwitchRecord {
    std::filesystem::path preferenceFile;
    std::string flavour;
    /// The "ScrivoLogging" value the file held before the switch; absent when it had none.
    tarvix::SharedPlistNode earlierEntry;
    /// The workspace's "System" folder the record is kept in (not part of what is saved).
    std::optional<std::filesystem::path> systemFolder;
};

}  // namespace tarvix::PListOperations

namespace tarvix::PListOperations::detail {

using Location = std::optional<std::filesystem::path>;

/// Where the record lives in the workspace's "System" folder; absent without a workspace.
Location recordLocation(const Location& systemFolder);
/// Writes the record into its systemFolder; a failure is logged here.
tarvix::Status saveRecord(const LoggingSwitchRecord& record);
/// Fails when the record cannot be read or lacks its file or flavour.
tarvix::Result<LoggingSwitchRecord> loadRecord(const std::filesystem::path& location);
/// A record that cannot be removed is logged here.
tarvix::Status removeRecord(const Location& systemFolder);

}  // namespace tarvix::PListOperations::detail
