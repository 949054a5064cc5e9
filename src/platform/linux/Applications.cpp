#include "platform/Applications.h"

#include <algorithm>

#include "platform/PlistFile.h"

namespace fs = std::filesystem;

namespace tarvix::platform {
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
    const auto document = readPlistFile(bundle / "Contents" / "Info.plist");
    if (!document) return std::nullopt;
    return tarvix::stringValue(tarvix::raw(document->root), key.c_str());
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

}  // namespace tarvix::platform
