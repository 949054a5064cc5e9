#pragma once

#include <string>

namespace UtilityFunctions {

/// First running application with exactly this identifier; on a match records ProcessId and flavour.
bool IsApplicationRunning(const std::string& bundleIdentifier);
/// Whether a running application has this decimal process id (exact text comparison).
bool IsProcessRunning(const std::string& processId);
/// Two or more entries in ScrivoRunningInstance; then the alert is scheduled, not awaited.
bool IsMultipleInstance();
/// Modal alert with one button on the interface thread; returns at once.
void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle);

}  // namespace UtilityFunctions
