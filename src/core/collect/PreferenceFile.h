#pragma once

#include <filesystem>
#include <optional>

#include "core/base/PlistDocument.h"
#include "core/base/Status.h"

/// The target's preference file as the logging switch reads and writes it.
namespace PListOperations::detail {

using tarvix::PlistDocument;
using tarvix::PlistNode;
using tarvix::raw;
using tarvix::share;
using tarvix::SharedPlistNode;

/// Absent when the file is missing, unreadable, not a property list, or not a dictionary.
std::optional<PlistDocument> readDictionaryPlist(const std::filesystem::path& file);

/// Writes the document in its own format through a temporary file and a rename, keeping the
/// file's mode (a link is followed: the file it names is replaced).
tarvix::Status writePlist(const PlistDocument& document, const std::filesystem::path& file);

/// {"EnableScrivoLogging": [10, 7]}
PlistNode verboseLoggingEntry();
/// Whether `node` is exactly the entry verboseLoggingEntry() makes.
bool isVerboseLoggingEntry(plist_t node);

}  // namespace PListOperations::detail
