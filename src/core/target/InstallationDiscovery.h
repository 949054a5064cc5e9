#pragma once

#include <filesystem>

namespace UtilityFunctions {

/// Appends the installed full-edition bundles to scrivoInstalledUrls (never emptied first).
void getScrivoInstalledPath();
/// Appends the installed free-edition bundles to glanceInstalledUrls (never emptied first).
void getGlanceInstalledPath();
/// Sets flavour from the bundle's CFBundleShortVersionString; unchanged when unreadable.
void FlavourFromAppVersion(const std::filesystem::path& url);
/// Chooses the edition from ScrivoRunningInstance and moves tempOutputURL into its folder.
void SetScrivoOrGlance();

}  // namespace UtilityFunctions
