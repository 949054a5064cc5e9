#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tarvix::platform {

/// One running application as the desktop sees it.
struct RunningApplication {
    pid_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::filesystem::path> bundleURL;
};

/// The current user's running applications, in ascending process id (only those below
/// folders.runningApplicationsRoot when it is set).
std::vector<RunningApplication> runningApplications(const Folders& folders);

}  // namespace tarvix::platform
