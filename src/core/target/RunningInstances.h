#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace UtilityFunctions {

/// First running application with exactly this identifier; on a match records ProcessId and flavour.
bool IsApplicationRunning(const platform::Folders& folders, const std::string& bundleIdentifier);
/// Whether a running application has this decimal process id (exact text comparison).
bool IsProcessRunning(const platform::Folders& folders, const std::string& processId);
/// Two or more editions in `runningInstance` (ScrivoRunningInstance's value); then the alert is
/// scheduled, not awaited.
bool IsMultipleInstance(const std::vector<std::string>& runningInstance, platform::UserInterface& ui);
/// Modal alert with one button on the interface thread; returns at once.
void displayAlert(platform::UserInterface& ui, const std::string& title, const std::string& message,
                  const std::string& buttonTitle);

}  // namespace UtilityFunctions
