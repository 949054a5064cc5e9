#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "base/PlistDocument.h"
#include "base/Status.h"

/// The target's preference file as the logging switch reads and writes it.
namespace tarvix::PListOperations::detail {

using tarvix::PlistDocument;
using tarvix::PlistNode;
using tarvix::raw;
using tarvix::share;
using tarvix::SharedPlistNode;

/// Fails when the file is missing, unreadable, not a property list, or not a dictionary.
tarvix::Result<PlistDocument> readDictionaryPlist(const std::filesystem::path& file);

/// Writes the document in its own format through a temporary file and a rename, keeping the
/// file's mode (a link is followed: the file it names is replaced).
tarvix::Status writePlist(const PlistDocument& document, const std::filesystem::path& file);

enum class Edit { written, unchanged, unreadable, failed };

/// Applies `edit` to the root dictionary of `file` and writes the result as writePlist does;
/// `edit` answers whether it changed anything, and an unchanged file is not rewritten. The file is
/// read again just before the rename: when the target wrote it meanwhile, `edit` runs again on
/// what it holds now, so the target's change is kept.
Edit editPlist(const std::filesystem::path& file, const std::function<bool(plist_t root)>& edit);

/// {"EnableScrivoLogging": [10, 7]}
PlistNode verboseLoggingEntry();
/// Whether `node` is exactly the entry verboseLoggingEntry() makes.
bool isVerboseLoggingEntry(plist_t node);
/// Whether both are absent or hold the same value.
bool samePlist(plist_t a, plist_t b);

}  // namespace tarvix::PListOperations::detail
