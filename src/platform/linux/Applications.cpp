#include "platform/Applications.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/UniqueFd.h"
#include "platform/linux/PlistFile.h"

namespace fs = std::filesystem;

namespace platform {
namespace detail {

PlistRoot readPlistFile(const fs::path& file)
{
    // Bundles belong to whoever made them: a FIFO must not hold us up, nor a huge file fill memory.
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxPlistBytes)
        return nullptr;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > kMaxPlistBytes) return nullptr;
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    if (bytes.empty()) return nullptr;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    return PlistRoot(root);
}

}  // namespace detail

namespace {

bool isBundleName(const fs::path& name) { return name.extension() == ".app"; }

/// The direct entries of `folder` that are folders, sorted by name; none when unreadable.
std::vector<fs::path> sortedSubfolders(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) found.push_back(it->path());
    }
    std::sort(found.begin(), found.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return found;
}

/// The bundles of one application folder: its own NAME.app entries first, then those of each
/// direct sub-folder, every list sorted by name.
std::vector<fs::path> bundlesIn(const fs::path& folder)
{
    std::vector<fs::path> bundles;
    std::vector<fs::path> containers;
    for (const fs::path& entry : sortedSubfolders(folder)) {
        if (isBundleName(entry.filename()))
            bundles.push_back(entry);
        else
            containers.push_back(entry);
    }
    for (const fs::path& container : containers)
        for (const fs::path& entry : sortedSubfolders(container))
            if (isBundleName(entry.filename())) bundles.push_back(entry);
    return bundles;
}

}  // namespace

std::optional<std::string> bundleInfoString(const fs::path& bundle, const std::string& key)
{
    const detail::PlistRoot root = detail::readPlistFile(bundle / "Contents" / "Info.plist");
    if (!root || !PLIST_IS_DICT(static_cast<plist_t>(root.get()))) return std::nullopt;
    plist_t value = plist_dict_get_item(static_cast<plist_t>(root.get()), key.c_str());
    if (!PLIST_IS_STRING(value)) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(value, &length);
    if (!text) return std::nullopt;
    return std::string(text, length);
}

std::vector<fs::path> applicationBundles(const std::vector<fs::path>& applicationFolders)
{
    std::vector<fs::path> bundles;
    for (const fs::path& folder : applicationFolders) {
        auto found = bundlesIn(folder);
        bundles.insert(bundles.end(), found.begin(), found.end());
    }
    return bundles;
}

std::vector<fs::path> applicationsWithBundleIdentifier(const Folders& folders, const std::string& bundleIdentifier)
{
    std::vector<fs::path> matches;
    for (const fs::path& bundle : applicationBundles(folders.applicationFolders))
        if (bundleInfoString(bundle, "CFBundleIdentifier") == bundleIdentifier) matches.push_back(bundle);
    return matches;
}

}  // namespace platform
