#include "core/collect/PreferenceFile.h"

#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/PlistFile.h"

namespace fs = std::filesystem;

namespace PListOperations::detail {

std::optional<PlistDocument> readDictionaryPlist(const fs::path& file)
{
    auto document = platform::readPlistFile(file);
    if (!document || !PLIST_IS_DICT(raw(document->root))) return std::nullopt;
    return document;
}

tarvix::Status writePlist(const PlistDocument& document, const fs::path& file)
{
    const auto bytes = tarvix::encodePlist(document);
    if (!bytes) return bytes.status();

    std::error_code error;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, error))) {
        target = fs::canonical(file, error);
        if (error) return tarvix::Failure{error.message(), error.value()};
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) mode = existing.st_mode & 07777;
    return platform::writeFileAtomically(target, *bytes, mode);
}

PlistNode verboseLoggingEntry()
{
    plist_t levels = plist_new_array();
    plist_array_append_item(levels, plist_new_uint(10));
    plist_array_append_item(levels, plist_new_uint(7));
    PlistNode entry(plist_new_dict());
    plist_dict_set_item(raw(entry), "EnableScrivoLogging", levels);
    return entry;
}

bool isVerboseLoggingEntry(plist_t node)
{
    if (!PLIST_IS_DICT(node) || plist_dict_get_size(node) != 1) return false;
    plist_t levels = plist_dict_get_item(node, "EnableScrivoLogging");
    if (!PLIST_IS_ARRAY(levels) || plist_array_get_size(levels) != 2) return false;
    plist_t first = plist_array_get_item(levels, 0);
    plist_t second = plist_array_get_item(levels, 1);
    return PLIST_IS_UINT(first) && PLIST_IS_UINT(second) && plist_uint_val_compare(first, 10) == 0 &&
           plist_uint_val_compare(second, 7) == 0;
}

}  // namespace PListOperations::detail
