#pragma once

#include <filesystem>
#include <optional>

#include "base/Status.h"
#include "platform/Platform.h"

namespace tarvix::UtilityFunctions {

/// The folders one window's sessions use, as CreateOutputDirectories made them.
struct Workspace {
    /// The user's Library folder and its "Preferences".
    std::filesystem::path userLibraryURL;
    std::filesystem::path userLibraryPrefURL;
    /// "System": the log and the logging switch's record.
    std::filesystem::path tempSystemURL;
    /// The new session folder, "Output/<yyyyMMddHHmmss>".
    std::filesystem::path tempTimeStampedURL;
    /// "temp": the scratch folder the archive is built in.
    std::filesystem::path temptempURL;
};

/// A workspace whose folders were not all made: why, and its locations as they were set (all of
/// them once the Library folder is known), so later steps use the folders that exist.
struct IncompleteWorkspace {
    tarvix::Failure failure;
    std::optional<Workspace> locations;
};

/// Creates a new session folder, "System" and "temp" below the user's Library folder; answers
/// their locations. A folder that cannot be made is logged here, and those after it are not tried.
tarvix::Result<Workspace, IncompleteWorkspace> CreateOutputDirectories(const platform::Folders& folders);

}  // namespace tarvix::UtilityFunctions
