#include "core/discovery/InstallationDiscovery.h"

#include <system_error>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/SharedValues.h"
#include "platform/Applications.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

using UtilityFunctions::ScrivoBundleIndentifiers;

std::vector<fs::path> installed(const platform::Folders& folders, const std::string& bundleIdentifier)
{
    std::vector<fs::path> urls = platform::applicationsWithBundleIdentifier(folders, bundleIdentifier);
    for (const fs::path& url : urls)
        Logger::logInfo("App url for bundle: " + bundleIdentifier + " is: " + tarvix::pathText(url));
    return urls;
}

/// Only the first character of the last dot-separated component counts.
std::string flavourOf(const std::string& version)
{
    const auto dot = version.rfind('.');
    const std::string last = dot == std::string::npos ? version : version.substr(dot + 1);
    if (last.empty()) return "Trunk";
    switch (last.front()) {
    case '1': return "Beta";
    case '2': return "QX";
    default: return "Trunk";
    }
}

}  // namespace

std::vector<fs::path> getScrivoInstalledPath(const platform::Folders& folders)
{
    return installed(folders, ScrivoBundleIndentifiers[0]);
}

std::vector<fs::path> getGlanceInstalledPath(const platform::Folders& folders)
{
    return installed(folders, ScrivoBundleIndentifiers[1]);
}

std::optional<std::string> FlavourFromAppVersion(const fs::path& url)
{
    const auto version = platform::bundleInfoString(url, "CFBundleShortVersionString");
    if (!version) return std::nullopt;
    const std::string result = flavourOf(*version);
    Logger::logInfo(tarvix::format("FlavourFromAppVersion:%@ flavour: %@", {*version, result}));
    return result;
}

std::string scrivoOrGlance(const std::vector<std::string>& runningInstance)
{
    return !runningInstance.empty() && runningInstance.front() == ScrivoBundleIndentifiers[0] ? "Scrivo" : "Glance";
}

std::optional<fs::path> SetScrivoOrGlance(const std::vector<std::string>& runningInstance,
                                          const std::optional<fs::path>& outputFolder)
{
    const std::string edition = scrivoOrGlance(runningInstance);

    if (!outputFolder) {
        Logger::logWarning("SetScrivoOrGlance: no output folder, the edition folder " + edition + " was not created.");
        return std::nullopt;
    }
    const fs::path folder = *outputFolder / edition;
    if (const auto created = platform::createPrivateFolders(folder); !created)
        Logger::logError(
            tarvix::format("Failed to create directory: %@ Error: %@", {tarvix::pathText(folder), created.message()}));
    else
        Logger::logInfo(tarvix::format("Directory created: %@", {tarvix::pathText(folder)}));
    return folder;
}

}  // namespace tarvix
