#include <ctime>
#include <system_error>

#include "core/log/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace UtilityFunctions {
namespace {

std::string localStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &tm);
    return text;
}

bool present(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

bool CreateOutputDirectories()
{
    const auto library = platform::current().folders.library;
    if (!library) return false;

    const std::string stamp = localStamp();
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

    const std::pair<fs::path, std::string> folders[] = {
        {session, session.string()}, {root / "System", "System"}, {root / "temp", "temp"}};
    for (const auto& [folder, name] : folders) {
        if (present(folder)) continue;
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            Logger::logError("Failed to create the initial directories.");
            return false;
        }
        Logger::logInfo(tarvix::format("Directory created: %@", {name}));
    }
    return true;
}

}  // namespace UtilityFunctions
