#include "platform/Platform.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "platform/HeadlessUserInterface.h"
#include "platform/Process.h"
#include "platform/Users.h"

namespace fs = std::filesystem;

namespace tarvix::platform {
namespace {

fs::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    // The password database is the fallback the system itself uses.
    if (const auto entry = passwordEntry(getuid()); entry && !entry->home.empty()) return entry->home;
    return "/";
}

std::vector<fs::path> xdgFolders(const char* homeVariable, const fs::path& homeDefault, const char* dirsVariable,
                                 const char* dirsDefault)
{
    std::vector<fs::path> folders;
    const char* home = std::getenv(homeVariable);
    folders.push_back(home && *home ? fs::path(home) : homeDefault);
    const char* dirs = std::getenv(dirsVariable);
    std::stringstream list(dirs && *dirs ? dirs : dirsDefault);
    for (std::string item; std::getline(list, item, ':');)
        if (!item.empty()) folders.emplace_back(item);
    return folders;
}

}  // namespace

Platform Platform::fromSystem(const fs::path& libexec)
{
    // At start-up, before a second thread: children get the environment as it is now.
    (void)childEnvironment();
    Platform platform;
    Folders& f = platform.folders;
    f.home = homeFolder();
    f.library = f.home / "Library";
    const char* cache = std::getenv("XDG_CACHE_HOME");
    f.caches = cache && *cache ? fs::path(cache) : f.home / ".cache";
    f.applicationFolders = {f.home / "Applications", "/Applications", "/opt"};
    f.systemLog = "/var/log";
    f.libexec = libexec;
    f.networkInterfaces = "/sys/class/net";
    for (const auto& data :
         xdgFolders("XDG_DATA_HOME", f.home / ".local/share", "XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        f.desktopEntryFolders.push_back(data / "applications");
    if (geteuid() != 0) f.elevationCommand = {"/usr/bin/pkexec"};
    platform.ui = std::make_shared<HeadlessUserInterface>();
    return platform;
}

Platform Platform::sandbox(const fs::path& root, const fs::path& libexec)
{
    Platform platform;
    Folders& f = platform.folders;
    f.home = root / "home";
    f.library = f.home / "Library";
    f.caches = f.home / ".cache";
    f.applicationFolders = {f.home / "Applications", root / "Applications", root / "opt"};
    f.systemLog = root / "var/log";
    f.libexec = libexec;
    f.networkInterfaces = "/sys/class/net";
    f.desktopEntryFolders = {root / "usr/share/applications", f.home / ".local/share/applications"};
    f.runningApplicationsRoot = root;
    platform.ui = std::make_shared<HeadlessUserInterface>();
    return platform;
}

}  // namespace tarvix::platform
