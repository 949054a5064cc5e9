#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace UtilityFunctions {

/// Appends the installed full-edition bundles to scrivoInstalledUrls (never emptied first).
void getScrivoInstalledPath(const platform::Folders& folders);
/// Appends the installed free-edition bundles to glanceInstalledUrls (never emptied first).
void getGlanceInstalledPath(const platform::Folders& folders);
/// Sets flavour from the bundle's CFBundleShortVersionString; unchanged when unreadable.
void FlavourFromAppVersion(const std::filesystem::path& url);
/// Sets scrivoOrGlance from the editions found (`runningInstance`, ScrivoRunningInstance's
/// value) and tempOutputURL to its folder below `outputFolder`, which it creates. Answers that
/// folder (absent without `outputFolder`).
std::optional<std::filesystem::path> SetScrivoOrGlance(const std::vector<std::string>& runningInstance,
                                                       const std::optional<std::filesystem::path>& outputFolder);

}  // namespace UtilityFunctions
