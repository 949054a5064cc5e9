#pragma once

#include <plist/plist.h>

#include <cstddef>
#include <filesystem>
#include <memory>

namespace platform::detail {

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
/// Owns one plist tree (a root node and everything below it).
using PlistRoot = std::unique_ptr<void, PlistFree>;

/// Far above any real Info.plist.
inline constexpr std::size_t kMaxPlistBytes = std::size_t{4} << 20;

/// Reads an XML or binary property list; empty when the file is unreadable, no regular file,
/// larger than kMaxPlistBytes or no plist.
PlistRoot readPlistFile(const std::filesystem::path& file);

}  // namespace platform::detail
