#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tarvix {

/// The installed full-edition bundles (scrivoInstalledUrls).
std::vector<std::filesystem::path> getScrivoInstalledPath(const platform::Folders& folders);
/// The installed free-edition bundles (glanceInstalledUrls).
std::vector<std::filesystem::path> getGlanceInstalledPath(const platform::Folders& folders);
/// The flavour the bundle's CFBundleShortVersionString names; absent when unreadable.
std::optional<std::string> FlavourFromAppVersion(const std::filesystem::path& url);
/// "Scrivo" or "Glance" (scrivoOrGlance) for the editions found (ScrivoRunningInstance): only the
/// first one listed counts.
std::string scrivoOrGlance(const std::vector<std::string>& runningInstance);
/// Creates the edition's folder (tempOutputURL) below `outputFolder`; answers it (absent without
/// `outputFolder`), also when it could not be made (logged).
std::optional<std::filesystem::path> SetScrivoOrGlance(const std::vector<std::string>& runningInstance,
                                                       const std::optional<std::filesystem::path>& outputFolder);

}  // namespace tarvix
