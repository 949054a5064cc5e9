#pragma once

#include <plist/plist.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace PListOperations::detail {

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
/// Owns one plist tree.
using PlistNode = std::unique_ptr<void, PlistFree>;
/// A plist tree shared between threads; never changed after it is made.
using SharedPlistNode = std::shared_ptr<void>;

inline plist_t raw(const PlistNode& node) { return static_cast<plist_t>(node.get()); }

/// A property list file whose root is a dictionary, and the format it was read in.
struct PlistDocument {
    PlistNode root;
    bool binary = false;
};

/// Absent when the file is missing, unreadable, not a property list, or not a dictionary.
std::optional<PlistDocument> readDictionaryPlist(const std::filesystem::path& file);

/// Writes the document in its own format through a temporary file and a rename, keeping the
/// file's mode (a link is followed: the file it names is replaced). The error text on failure.
std::optional<std::string> writePlist(const PlistDocument& document, const std::filesystem::path& file);

/// {"EnableScrivoLogging": [10, 7]}
PlistNode verboseLoggingEntry();
/// Whether `node` is exactly the entry verboseLoggingEntry() makes.
bool isVerboseLoggingEntry(plist_t node);

SharedPlistNode share(plist_t node);

}  // namespace PListOperations::detail
