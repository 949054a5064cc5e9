#include "core/workspace/Workspace.h"

#include <ctime>
#include <system_error>

#include "core/base/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/SharedValues.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace UtilityFunctions {
namespace {

bool present(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

bool CreateOutputDirectories(const platform::Folders& folders)
{
    const auto& library = folders.library;
    if (!library) return false;

    const std::string stamp = platform::formatTime(std::time(nullptr), "%Y%m%d%H%M%S", platform::TimeZone::local);
    userLibraryURL.set(*library);
    userLibraryPrefURL.set(*library / "Preferences");
    const fs::path root = *library / "Tarvix";
    tempDirURL.set(root);
    Logger::logInfo(tarvix::format("Tarvix Directory: %@", {root.string()}));

    const fs::path session = root / "Output" / stamp;
    tempSystemURL.set(root / "System");
    tempTimeStampedURL.set(session);
    tempOutputURL.set(session);
    temptempURL.set(root / "temp");

    // A root open to others was made by an earlier version: it and all it holds are closed first.
    std::error_code ec;
    const auto rootAccess = fs::status(root, ec).permissions();
    if (!ec && (rootAccess & (fs::perms::group_all | fs::perms::others_all)) != fs::perms::none) {
        if (const auto tightened = platform::restrictToOwner(root); !tightened)
            Logger::logError("The Tarvix folder could not be closed to other users: " + tightened.message());
    }
    const std::pair<fs::path, std::string> created[] = {
        {session, session.string()}, {root / "System", "System"}, {root / "temp", "temp"}};
    for (const auto& [folder, name] : created) {
        if (present(folder)) continue;
        if (!platform::createPrivateFolders(folder)) {
            Logger::logError("Failed to create the initial directories.");
            return false;
        }
        Logger::logInfo(tarvix::format("Directory created: %@", {name}));
    }
    return true;
}

}  // namespace UtilityFunctions
