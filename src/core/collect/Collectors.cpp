#include "core/collect/Collectors.h"

#include <system_error>

#include "core/collect/CopyPrimitives.h"
#include "core/log/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace UtilityFunctions {
namespace {

/// The licensing library's second log, next to "scrivoQLMLog.txt".
constexpr const char* kSecondLicensingLog = "scrivoQLMLicenseLog.txt";

Location joined(const Location& base, const fs::path& relative)
{
    if (!base) return std::nullopt;
    return *base / relative;
}

/// Creates a collector's folder; a failure is logged and the collector goes on.
void createFolder(const Location& folder, const char* collector)
{
    if (!folder) {
        Logger::logWarning(std::string(collector) + ": no output folder, nothing will be copied.");
        return;
    }
    std::error_code error;
    fs::create_directories(*folder, error);
    if (error) Logger::logError("Error: " + error.message() + " (" + tarvix::pathText(*folder) + ")");
}

}  // namespace

bool GetPropertyList()
{
    const Location destination = joined(tempOutputURL.get(), "PropertyList");
    const auto running = ScrivoRunningInstance.get();
    if (running.empty()) return false;
    const Location preferences = userLibraryPrefURL.get();
    if (!preferences || !destination) {
        Logger::logWarning("GetPropertyList: preferences or output folder not set, preference files not copied.");
        return true;
    }
    CopyFiles(*preferences, *destination, running.front() + ".plist");
    CopyFiles(*preferences, *destination, "com.norvane.crashreporter.plist");
    return true;
}

bool GetLicensingLogs()
{
    const Location logs = joined(userLibraryURL.get(), "Logs");
    const Location destination = joined(tempOutputURL.get(), "LicensingLogs");
    createFolder(destination, "GetLicensingLogs");
    for (const char* item : {"scrivoQLMLog.txt", kSecondLicensingLog, "QLM", "scrivocef_low"})
        copyItem(joined(logs, item), joined(destination, item));
    return true;
}

bool GetInstallLogs()
{
    const Location updaterLogs = joined(userLibraryURL.get(), fs::path("Logs") / "Norvane");
    const Location destination = joined(tempOutputURL.get(), "InstallLogs");
    createFolder(destination, "GetInstallLogs");
    for (const char* item : {"Scrivo Update Helper QX.log", "Scrivo Updater QX.log"})
        copyItem(joined(updaterLogs, item), joined(destination, item));
    const fs::path systemLog = platform::current().folders.systemLog;
    copyItem(systemLog / "scrivoUpdaterTools.log", joined(destination, "scrivoUpdaterTools.log"));
    return true;
}

void GetIPMLogs()
{
    const std::string name =
        scrivoOrGlance.get() == std::optional<std::string>("Scrivo") ? "Bastion-ProMessages" : "GlanceMessages";
    const std::string relative = tarvix::format("Application Support/Norvane/Scrivo/%@/%@", {flavour.get(), name});
    copyItem(joined(userLibraryURL.get(), relative),
             joined(tempOutputURL.get(), fs::path("IPMLogs") / (name + ".lic")));
}

}  // namespace UtilityFunctions
