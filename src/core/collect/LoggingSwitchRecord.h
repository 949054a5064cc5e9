#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/collect/PlistDocument.h"

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

/// Where the record lives; absent while the workspace is not set up.
std::optional<std::filesystem::path> recordLocation();
/// Writes the record; logs and answers false on failure.
bool saveRecord(const LoggingSwitchRecord& record);
std::optional<LoggingSwitchRecord> loadRecord(const std::filesystem::path& location);
void removeRecord();

}  // namespace PListOperations::detail
