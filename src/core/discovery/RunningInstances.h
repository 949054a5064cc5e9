#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tarvix {

/// What a running edition tells about itself.
struct RunningTarget {
    /// Its decimal process id (ProcessId).
    std::string processId;
    /// Its flavour, when its bundle's version could be read.
    std::optional<std::string> flavour;
};

/// First running application with exactly this identifier; absent when none runs. `flavour` is
/// the one known so far, named in the log when the match tells none.
std::optional<RunningTarget> IsApplicationRunning(const platform::Folders& folders, const std::string& bundleIdentifier,
                                                  const std::string& flavour);
/// Whether a running application has this decimal process id (exact text comparison).
bool IsProcessRunning(const platform::Folders& folders, const std::string& processId);
/// Two or more editions in `runningInstance` (ScrivoRunningInstance's value); then the alert is
/// scheduled, not awaited.
bool IsMultipleInstance(const std::vector<std::string>& runningInstance, platform::UserInterface& ui);
/// Modal alert with one button on the interface thread; returns at once.
void displayAlert(platform::UserInterface& ui, const std::string& title, const std::string& message,
                  const std::string& buttonTitle);

}  // namespace tarvix
