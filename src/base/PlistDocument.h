#pragma once

#include <plist/plist.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace tarvix {

/// The largest property list Tarvix reads, shows or hides: far above any preference file or
/// Info.plist; a larger one is not read at all (it is left out of what is shown or sent).
inline constexpr std::size_t kPlistSizeLimit = 64u << 20;

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
/// Owns one plist tree (a node and everything below it).
using PlistNode = std::unique_ptr<void, PlistFree>;
/// A plist tree shared between threads; never changed after it is made.
using SharedPlistNode = std::shared_ptr<void>;

inline plist_t raw(const PlistNode& node) { return static_cast<plist_t>(node.get()); }
/// A copy of `node` to share; null for null.
SharedPlistNode share(plist_t node);

/// A property list and the format it was read in.
struct PlistDocument {
    PlistNode root;
    bool binary = false;
};

/// The property list in `bytes`, XML or binary; fails when they hold none.
Result<PlistDocument> parsePlist(std::string_view bytes);
/// The document's bytes in its own format.
Result<std::string> encodePlist(const PlistDocument& document);
/// The text under `key` of a dictionary; absent when missing or not a string.
std::optional<std::string> stringValue(plist_t dictionary, const char* key);

}  // namespace tarvix
