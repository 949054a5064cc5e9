#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/Status.h"
#include "core/workspace/Session.h"

namespace tarvix {

/// A file of the session as the review shows it.
struct FilePreview {
    std::string text;        ///< UTF-8; a binary property list comes back as its XML text
    bool truncated = false;  ///< only the first kPreviewLimit (4 MiB) bytes are shown
    bool isText = false;     ///< false: not shown inline; the app opens a copy with the desktop's default application
};
inline constexpr std::uint64_t kPreviewLimit = 4ull << 20;

/// Reads `relativePath` inside `sessionFolder` read-only; refuses a path that leaves the folder or
/// passes through a symbolic link (Failure with a message for the log).
Result<FilePreview> previewFile(const std::filesystem::path& sessionFolder, const std::string& relativePath);

/// Copies `relativePath` (same refusals) into `intoFolder` (owner-only) and answers the copy's path,
/// for opening with the desktop's default application (never the original).
Result<std::filesystem::path> copyForViewing(const std::filesystem::path& sessionFolder,
                                             const std::string& relativePath, const std::filesystem::path& intoFolder);

/// Where the placeholder mapping of a hidden share is kept (for the review's text), for the session:
/// "HiddenNames-<session folder name>.txt" in the workspace's System folder, which a successful
/// upload leaves alone. Empty when the session has no System folder.
std::filesystem::path hiddenNamesFile(const Session& session);

}  // namespace tarvix
