#include "core/workspace/Workspace.h"

#include <ctime>
#include <system_error>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::UtilityFunctions {
namespace {

bool present(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

tarvix::Result<Workspace, IncompleteWorkspace> CreateOutputDirectories(const platform::Folders& folders)
{
    const auto& library = folders.library;
    if (!library) return IncompleteWorkspace{{"The user's Library folder is not known."}, std::nullopt};

    const std::string stamp = platform::formatTime(std::time(nullptr), "%Y%m%d%H%M%S", platform::TimeZone::local);
    const fs::path root = *library / "Tarvix";
    Logger::logInfo(tarvix::format("Tarvix Directory: %@", {root.string()}));
    const fs::path session = root / "Output" / stamp;
    const Workspace workspace{*library, *library / "Preferences", root / "System", session, root / "temp"};

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
        if (const auto created = platform::createPrivateFolders(folder); !created) {
            Logger::logError("Failed to create the initial directories.");
            return IncompleteWorkspace{created.failure(), workspace};
        }
        Logger::logInfo(tarvix::format("Directory created: %@", {name}));
    }
    return workspace;
}

}  // namespace tarvix::UtilityFunctions
