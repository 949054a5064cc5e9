#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/collect/PreferenceFile.h"

/// While the logging switch is on, the workspace keeps a record of it ("System"/
/// "ScrivoLoggingSwitch.plist"), so a run that ends without reverting (killed, crashed) is
/// reverted at the next start-up.
namespace PListOperations::detail {

struct LoggingSwitchRecord {
    std::filesystem::path preferenceFile;
    std::string flavour;
    /// The "ScrivoLogging" value the file held before the switch; absent when it had none.
    SharedPlistNode earlierEntry;
};

using Location = std::optional<std::filesystem::path>;

/// Where the record lives in the workspace's "System" folder; absent without a workspace.
Location recordLocation(const Location& systemFolder);
/// Writes the record; logs and answers false on failure.
bool saveRecord(const Location& systemFolder, const LoggingSwitchRecord& record);
std::optional<LoggingSwitchRecord> loadRecord(const std::filesystem::path& location);
void removeRecord(const Location& systemFolder);

}  // namespace PListOperations::detail
