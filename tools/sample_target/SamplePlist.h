#pragma once

#include <plist/plist.h>

#include <filesystem>
#include <memory>

#include "sample_target/SampleInstall.h"

namespace tarvix::sample::detail {

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

/// Writes `root` to `file` in the given format; throws on failure.
void writePlist(plist_t root, const std::filesystem::path& file, PlistFormat format);
/// Writes `text` to `file`, creating its parent folders; throws on failure.
void writeText(const std::filesystem::path& file, const std::string& text);

}  // namespace tarvix::sample::detail
