#include "platform/RunningApplications.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/Applications.h"
#include "platform/ProcFiles.h"

namespace fs = std::filesystem;

namespace tarvix::platform {
namespace {

/// The real user id from /proc/PID/status ("Uid:\treal\teffective\tsaved\tfs").
std::optional<uid_t> realUid(const fs::path& processFolder)
{
    const auto status = readProcFile(processFolder / "status");
    const auto uids = status ? statusValue(*status, "Uid") : std::nullopt;
    if (!uids) return std::nullopt;
    std::istringstream fields(*uids);
    long long uid = -1;
    if (fields >> uid && uid >= 0) return static_cast<uid_t>(uid);
    return std::nullopt;
}

/// NAME.app when `executable` lies directly in NAME.app/Contents/MacOS/.
std::optional<fs::path> bundleOf(const fs::path& executable)
{
    const fs::path macos = executable.parent_path();
    const fs::path contents = macos.parent_path();
    const fs::path bundle = contents.parent_path();
    if (macos.filename() != "MacOS" || contents.filename() != "Contents" || bundle.extension() != ".app")
        return std::nullopt;
    return bundle;
}

bool isBelow(const fs::path& path, const fs::path& folder)
{
    const auto [mismatch, ignored] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return mismatch == folder.end();
}

}  // namespace

std::vector<RunningApplication> runningApplications(const Folders& folders)
{
    std::vector<pid_t> pids;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error))
        if (auto pid = parsePid(it->path().filename().string())) pids.push_back(*pid);
    std::sort(pids.begin(), pids.end());

    // /proc shows resolved paths, so the scope is compared in the same form.
    std::optional<fs::path> scope;
    if (folders.runningApplicationsRoot) {
        std::error_code scopeError;
        scope = fs::weakly_canonical(*folders.runningApplicationsRoot, scopeError);
        if (scope->filename().empty()) scope = scope->parent_path();
    }
    const uid_t me = getuid();
    std::vector<RunningApplication> applications;
    for (const pid_t pid : pids) {
        // A process may end or deny access between any two of these reads; it is then skipped.
        const fs::path folder = fs::path("/proc") / std::to_string(pid);
        if (realUid(folder) != me) continue;
        std::error_code linkError;
        std::string executable = fs::read_symlink(folder / "exe", linkError).string();
        if (linkError || executable.empty()) continue;
        static const std::string kDeleted = " (deleted)";
        if (executable.size() > kDeleted.size() && executable.ends_with(kDeleted))
            executable.resize(executable.size() - kDeleted.size());
        const auto bundle = bundleOf(executable);
        if (!bundle || (scope && !isBelow(*bundle, *scope))) continue;
        applications.push_back({pid, bundleInfoString(*bundle, "CFBundleIdentifier"), *bundle});
    }
    return applications;
}

}  // namespace tarvix::platform
