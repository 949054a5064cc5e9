#include "core/collect/PreferenceFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "base/Guarded.h"
#include "core/collect/PListOperationsTesting.h"
#include "platform/Files.h"
#include "platform/PlistFile.h"

namespace fs = std::filesystem;

namespace tarvix::PListOperations {
namespace {

// Process-wide only as a test hook (writeMeanwhileForTesting): empty in the product.
tarvix::Guarded<std::function<void(const fs::path&)>> writeMeanwhile;

}  // namespace

void writeMeanwhileForTesting(std::function<void(const fs::path&)> write) { writeMeanwhile.set(std::move(write)); }

}  // namespace tarvix::PListOperations

namespace tarvix::PListOperations::detail {
namespace {

/// The file a write replaces (a link is followed) and the mode it keeps.
tarvix::Result<std::pair<fs::path, mode_t>> replaced(const fs::path& file)
{
    std::error_code error;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, error))) {
        target = fs::canonical(file, error);
        if (error) return tarvix::Failure{tarvix::errorText(error), error.value()};
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) mode = existing.st_mode & 07777;
    return std::pair{target, mode};
}

std::string xmlText(plist_t node)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

}  // namespace

tarvix::Result<PlistDocument> readDictionaryPlist(const fs::path& file)
{
    auto document = platform::readPlistFile(file);
    if (document && !PLIST_IS_DICT(raw(document->root))) return tarvix::Failure{"Not a dictionary.", EINVAL};
    return document;
}

tarvix::Status writePlist(const PlistDocument& document, const fs::path& file)
{
    const auto bytes = tarvix::encodePlist(document);
    if (!bytes) return bytes.status();
    const auto target = replaced(file);
    if (!target) return target.status();
    return platform::writeFileAtomically(target->first, *bytes, target->second);
}

Edit editPlist(const fs::path& file, const std::function<bool(plist_t root)>& edit)
{
    const auto target = replaced(file);
    if (!target) return Edit::unreadable;
    const fs::path& path = target->first;
    // A target that never stops writing the file does not hold the switch up for ever.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto before = platform::readRegularFile(path, kPlistSizeLimit);
        if (!before) return Edit::unreadable;
        auto document = tarvix::parsePlist(*before);
        if (!document || !PLIST_IS_DICT(raw(document->root))) return Edit::unreadable;
        if (!edit(raw(document->root))) return Edit::unchanged;
        const auto bytes = tarvix::encodePlist(*document);
        if (!bytes) return Edit::failed;
        bool changedMeanwhile = false;
        const auto written = platform::writeFileAtomically(path, *bytes, target->second, [&] {
            if (const auto write = writeMeanwhile.get()) write(file);
            const auto now = platform::readRegularFile(path, kPlistSizeLimit);
            changedMeanwhile = !now || *now != *before;
            return !changedMeanwhile;
        });
        if (written) return Edit::written;
        if (!changedMeanwhile) return Edit::failed;
    }
    return Edit::failed;
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

bool samePlist(plist_t a, plist_t b)
{
    // libplist 2.2 compares containers by address only; their text compares them whole.
    if (!a || !b) return a == b;
    return xmlText(a) == xmlText(b);
}

}  // namespace tarvix::PListOperations::detail
