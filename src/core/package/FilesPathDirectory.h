#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

/// Pruning, cleanup, the archive and its size gate.
namespace FilesPathDirectory {

/// Deletes every file whose extension is not allowed; never follows a symbolic link.
void removeFilesFromDirectoryRecursively(const std::string& atPath, std::span<const std::string> allowedExtensions);
void deleteContentsOfDirectory(const std::filesystem::path& at);
void deleteDirectory(const std::filesystem::path& at);

/// /usr/bin/zip -r -q ZIP NAME UserEmailFeedback.json -x .DS_Store, in the parent of directoryURL.
bool CommandLineCompression(const std::optional<std::filesystem::path>& directoryURL,
                            const std::optional<std::filesystem::path>& zipFileURL);
/// Builds the archive, leaves it alone in the session folder, sets compressedLogURL.
bool CompressOutputDirectory();
/// True when the file is below 100 MiB.
bool isFileSizeValid(const std::filesystem::path& for_);

}  // namespace FilesPathDirectory
