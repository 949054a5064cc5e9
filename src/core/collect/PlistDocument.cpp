#include "core/collect/PlistDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace fs = std::filesystem;

namespace PListOperations::detail {
namespace {

std::optional<std::string> writeAll(int fd, const char* bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t wrote = ::write(fd, bytes, length);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return std::string(std::strerror(errno));
        bytes += wrote;
        length -= static_cast<std::size_t>(wrote);
    }
    return std::nullopt;
}

std::string encode(const PlistDocument& document)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    if (document.binary) {
        plist_to_bin(raw(document.root), &bytes, &length);
    } else {
        plist_to_xml(raw(document.root), &bytes, &length);
    }
    std::string text = bytes ? std::string(bytes, length) : std::string();
    if (document.binary)
        plist_to_bin_free(bytes);
    else
        plist_to_xml_free(bytes);
    return text;
}

}  // namespace

std::optional<PlistDocument> readDictionaryPlist(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistDocument document{PlistNode(root), plist_is_binary(bytes.data(), static_cast<uint32_t>(bytes.size())) != 0};
    if (!PLIST_IS_DICT(root)) return std::nullopt;
    return document;
}

std::optional<std::string> writePlist(const PlistDocument& document, const fs::path& file)
{
    const std::string bytes = encode(document);
    if (bytes.empty()) return std::string("the property list could not be encoded");

    std::error_code error;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, error))) {
        target = fs::canonical(file, error);
        if (error) return error.message();
    }

    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) mode = existing.st_mode & 07777;

    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".tarvix-XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return std::string(std::strerror(errno));
    auto failure = writeAll(fd, bytes.data(), bytes.size());
    if (!failure && ::fchmod(fd, mode) != 0) failure = std::strerror(errno);
    if (!failure && ::fsync(fd) != 0) failure = std::strerror(errno);
    if (::close(fd) != 0 && !failure) failure = std::strerror(errno);
    if (!failure && ::rename(temporary.c_str(), target.c_str()) != 0) failure = std::strerror(errno);
    if (failure) ::unlink(temporary.c_str());
    return failure;
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

SharedPlistNode share(plist_t node)
{
    if (!node) return nullptr;
    return SharedPlistNode(plist_copy(node), PlistFree{});
}

}  // namespace PListOperations::detail
