#include "core/collect/Collectors.h"

#include <system_error>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/CopyPrimitives.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

using Location = std::optional<fs::path>;
using UtilityFunctions::CopyFiles;
using UtilityFunctions::copyItem;
using UtilityFunctions::isMissingSource;

/// The licensing library's second log, next to "scrivoQLMLog.txt".
constexpr const char* kSecondLicensingLog = "scrivoQLMLicenseLog.txt";

Location joined(const Location& base, const fs::path& relative)
{
    if (!base) return std::nullopt;
    return *base / relative;
}

/// Creates a collector's folder; a failure is logged and the collector goes on (its copies then
/// fail one by one, and say so).
tarvix::Status createFolder(const Location& folder, const char* collector)
{
    if (!folder) {
        Logger::logWarning(std::string(collector) + ": no output folder, nothing will be copied.");
        return {};
    }
    auto created = platform::createPrivateFolders(*folder);
    if (!created)
        Logger::logError("Error: " + tarvix::errorText(created.failure().errorNumber) + " (" +
                         tarvix::pathText(*folder) + ")");
    return created;
}

/// Folds one item's copy into its group's outcome: the first real failure stands; an item the
/// target does not have is none.
void fold(tarvix::Status& group, tarvix::Status item)
{
    if (group && !item && !isMissingSource(item)) group = std::move(item);
}

}  // namespace

tarvix::Status GetPropertyList(const tarvix::Session& session)
{
    const Location destination = joined(session.output, "PropertyList");
    if (!session.bundleIdentifier) return tarvix::Failure{"No target was chosen."};
    const Location& preferences = session.preferences;
    if (!preferences || !destination) {
        Logger::logWarning("GetPropertyList: preferences or output folder not set, preference files not copied.");
        return {};
    }
    tarvix::Status copied;
    for (const std::string& name :
         {*session.bundleIdentifier + ".plist", std::string("com.norvane.crashreporter.plist")})
        fold(copied, CopyFiles(*preferences, *destination, name, session.collectionBudget.get()));
    return copied;
}

tarvix::Status GetLicensingLogs(const tarvix::Session& session)
{
    const Location logs = joined(session.library, "Logs");
    const Location destination = joined(session.output, "LicensingLogs");
    auto created = createFolder(destination, "GetLicensingLogs");
    for (const char* item : {"scrivoQLMLog.txt", kSecondLicensingLog, "QLM", "scrivocef_low"})
        fold(created, copyItem(joined(logs, item), joined(destination, item), session.collectionBudget.get()));
    return created;
}

tarvix::Status GetInstallLogs(const tarvix::Session& session, const fs::path& systemLogFolder)
{
    const Location updaterLogs = joined(session.library, fs::path("Logs") / "Norvane");
    const Location destination = joined(session.output, "InstallLogs");
    auto created = createFolder(destination, "GetInstallLogs");
    for (const char* item : {"Scrivo Update Helper QX.log", "Scrivo Updater QX.log"})
        fold(created, copyItem(joined(updaterLogs, item), joined(destination, item), session.collectionBudget.get()));
    fold(created, copyItem(systemLogFolder / "scrivoUpdaterTools.log", joined(destination, "scrivoUpdaterTools.log"),
                           session.collectionBudget.get()));
    return created;
}

tarvix::Status GetIPMLogs(const tarvix::Session& session)
{
    const std::string name = session.edition == "Scrivo" ? "Bastion-ProMessages" : "GlanceMessages";
    const std::string relative = tarvix::format("Application Support/Norvane/Scrivo/%@/%@", {session.flavour, name});
    auto copied =
        copyItem(joined(session.library, relative), joined(session.output, fs::path("IPMLogs") / (name + ".lic")),
                 session.collectionBudget.get());
    return isMissingSource(copied) ? tarvix::Status() : copied;
}

}  // namespace tarvix
