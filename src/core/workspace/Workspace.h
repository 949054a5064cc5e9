#pragma once

#include "platform/Platform.h"

namespace UtilityFunctions {

/// Fills the workspace locations and creates a new session folder, "System" and "temp" below
/// the user's Library folder.
bool CreateOutputDirectories(const platform::Folders& folders);

}  // namespace UtilityFunctions
