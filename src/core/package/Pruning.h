#pragma once

#include <filesystem>
#include <span>
#include <string>

/// Pruning and cleanup of the workspace's folders.
namespace FilesPathDirectory {

/// Deletes every file whose extension is not allowed, and every symbolic link but one of an allowed
/// name to a file that stays beside it; never follows a link.
void removeFilesFromDirectoryRecursively(const std::string& atPath, std::span<const std::string> allowedExtensions);
void deleteContentsOfDirectory(const std::filesystem::path& at);
void deleteDirectory(const std::filesystem::path& at);

}  // namespace FilesPathDirectory
