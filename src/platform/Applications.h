#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tarvix::platform {

/// A value of the bundle's Contents/Info.plist; absent when the bundle or the key is unreadable,
/// or the value is not a string.
std::optional<std::string> bundleInfoString(const std::filesystem::path& bundle, const std::string& key);

/// Every NAME.app of the folders: each folder's own, then those of its direct sub-folders,
/// names sorted, folders in the order given.
std::vector<std::filesystem::path> applicationBundles(const std::vector<std::filesystem::path>& applicationFolders);

/// Installed bundles with exactly this identifier, in the platform's order.
std::vector<std::filesystem::path> applicationsWithBundleIdentifier(const Folders& folders,
                                                                    const std::string& bundleIdentifier);

}  // namespace tarvix::platform
