#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "base/Status.h"

/// Pruning and cleanup of the workspace's folders.
namespace tarvix::FilesPathDirectory {

/// Pruning's verdict on one entry of a folder.
struct PruneVerdict {
    enum class Kind { folder, file, link };
    std::string name;
    Kind kind = Kind::file;
    bool keep = false;  ///< always true for a folder: pruning descends into it and leaves it
};

/// Pruning's rule for the entries of `folder`, without changing anything: files of an allowed
/// extension stay; a link stays only when it has an allowed name and names, by a bare name, a
/// regular file beside it that stays. Links come last. Never follows a link.
tarvix::Result<std::vector<PruneVerdict>> pruneVerdicts(const std::filesystem::path& folder,
                                                        std::span<const std::string> allowedExtensions);

/// Deletes every file whose extension is not allowed, and every symbolic link but one of an allowed
/// name to a file that stays beside it; never follows a link. Each of these logs its failure.
tarvix::Status removeFilesFromDirectoryRecursively(const std::string& atPath,
                                                   std::span<const std::string> allowedExtensions);
tarvix::Status deleteContentsOfDirectory(const std::filesystem::path& at);
tarvix::Status deleteDirectory(const std::filesystem::path& at);

}  // namespace tarvix::FilesPathDirectory
