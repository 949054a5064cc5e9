#include "ApplicationBundles.h"

#include <system_error>

#include "platform/Applications.h"

namespace fs = std::filesystem;

namespace tarvix::system_profiler {
namespace {

Application describeBundle(const fs::path& bundle)
{
    Application application;
    application.kind = Application::Kind::Bundle;
    application.location = bundle;
    auto name = tarvix::platform::bundleInfoString(bundle, "CFBundleDisplayName");
    if (!name || name->empty()) name = tarvix::platform::bundleInfoString(bundle, "CFBundleName");
    application.name = name && !name->empty() ? *name : bundle.stem().string();
    application.version = tarvix::platform::bundleInfoString(bundle, "CFBundleShortVersionString");
    application.bundleIdentifier = tarvix::platform::bundleInfoString(bundle, "CFBundleIdentifier");
    application.lastModified = modificationTime(bundle);
    return application;
}

}  // namespace

std::vector<Application> findApplicationBundles(const std::vector<fs::path>& folders)
{
    std::vector<Application> applications;
    for (const fs::path& bundle : tarvix::platform::applicationBundles(folders))
        applications.push_back(describeBundle(bundle));
    return applications;
}

}  // namespace tarvix::system_profiler
