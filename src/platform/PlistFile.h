#pragma once

#include <filesystem>
#include <optional>

#include "base/PlistDocument.h"

namespace tarvix::platform {

/// The property list in a regular file of at most kPlistSizeLimit bytes; fails when the file
/// is missing, unreadable, of another kind or size, or holds no property list.
tarvix::Result<tarvix::PlistDocument> readPlistFile(const std::filesystem::path& file);

}  // namespace tarvix::platform
