#pragma once

#include <filesystem>
#include <string>

#include "base/PlistDocument.h"
#include "sample_target/SampleInstall.h"

namespace tarvix::sample::detail {

/// Writes the plist `root` to `file` in the given format; throws on failure.
void writePlist(PlistNode root, const std::filesystem::path& file, PlistFormat format);
/// Writes `text` to `file`, creating its parent folders; throws on failure.
void writeText(const std::filesystem::path& file, const std::string& text);

}  // namespace tarvix::sample::detail
