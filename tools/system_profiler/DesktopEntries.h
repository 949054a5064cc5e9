#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Application.h"

namespace tarvix::system_profiler {

/// The keys of a desktop entry file's [Desktop Entry] group, escapes decoded, localised keys
/// left out. Absent when the file cannot be read or has no such group.
std::optional<std::map<std::string, std::string>> readDesktopEntry(const std::filesystem::path& file);

/// The application desktop entries of the XDG application folders (and their sub-folders),
/// the folder of highest precedence first: an entry whose desktop-file id an earlier folder
/// already had, or hid with Hidden=true, is left out.
std::vector<Application> findDesktopEntries(const std::vector<std::filesystem::path>& folders);

}  // namespace tarvix::system_profiler
