#include "ApplicationBundles.h"

#include <system_error>

#include "platform/Applications.h"

namespace fs = std::filesystem;

namespace system_profiler {
namespace {

std::vector<fs::path> subfolders(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) found.push_back(it->path());
    }
    return found;
}

Application describeBundle(const fs::path& bundle)
{
    Application application;
    application.kind = Application::Kind::Bundle;
    application.location = bundle;
    auto name = platform::bundleInfoString(bundle, "CFBundleDisplayName");
    if (!name || name->empty()) name = platform::bundleInfoString(bundle, "CFBundleName");
    application.name = name && !name->empty() ? *name : bundle.stem().string();
    application.version = platform::bundleInfoString(bundle, "CFBundleShortVersionString");
    application.bundleIdentifier = platform::bundleInfoString(bundle, "CFBundleIdentifier");
    application.lastModified = modificationTime(bundle);
    return application;
}

}  // namespace

std::vector<Application> findApplicationBundles(const std::vector<fs::path>& folders)
{
    std::vector<Application> applications;
    for (const fs::path& folder : folders) {
        for (const fs::path& entry : subfolders(folder)) {
            if (entry.extension() == ".app") {
                applications.push_back(describeBundle(entry));
                continue;
            }
            for (const fs::path& inner : subfolders(entry))
                if (inner.extension() == ".app") applications.push_back(describeBundle(inner));
        }
    }
    return applications;
}

}  // namespace system_profiler
