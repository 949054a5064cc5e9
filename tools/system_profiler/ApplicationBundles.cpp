#include "ApplicationBundles.h"

#include <system_error>

#include "platform/Applications.h"

namespace fs = std::filesystem;

namespace system_profiler {
namespace {

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
    for (const fs::path& bundle : platform::applicationBundles(folders)) applications.push_back(describeBundle(bundle));
    return applications;
}

}  // namespace system_profiler
