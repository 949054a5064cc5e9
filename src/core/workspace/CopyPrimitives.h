#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace UtilityFunctions {

/// Copies sourceDirectory/fileName to destinationDirectory/fileName, creating the destination folder.
void CopyFiles(const std::filesystem::path& sourceDirectory, const std::filesystem::path& destinationDirectory,
               const std::string& fileName);
/// Copies a file or a whole tree to exactly `to` (links stay links); never overwrites.
bool copyItem(const std::optional<std::filesystem::path>& at, const std::optional<std::filesystem::path>& to);

}  // namespace UtilityFunctions
