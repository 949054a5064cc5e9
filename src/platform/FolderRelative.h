#pragma once

#include <filesystem>
#include <string_view>

#include "base/Status.h"
#include "platform/Files.h"

namespace tarvix::platform {

/// Opens the regular file at `relativePath` ('/'-separated) below `folder` read-only, one component
/// at a time, never through a symbolic link and never above `folder` (absolute paths, "." and ".."
/// are refused).
tarvix::Result<FileDescriptor> openFileInside(const std::filesystem::path& folder, std::string_view relativePath);

}  // namespace tarvix::platform
