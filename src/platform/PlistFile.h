#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include "base/PlistDocument.h"

namespace tarvix::platform {

/// Far above any preference file or Info.plist; a larger "plist" is not read at all.
inline constexpr std::size_t kPlistFileLimit = 32 * 1024 * 1024;

/// The property list in a regular file of at most kPlistFileLimit bytes; fails when the file
/// is missing, unreadable, of another kind or size, or holds no property list.
tarvix::Result<tarvix::PlistDocument> readPlistFile(const std::filesystem::path& file);

}  // namespace tarvix::platform
