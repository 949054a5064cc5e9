#include "ProcessInfo.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Applications.h"
#include "platform/ProcFiles.h"
#include "platform/Users.h"

namespace fs = std::filesystem;

namespace tarvix::spindump {
namespace {

fs::path procPath(pid_t pid) { return fs::path("/proc") / std::to_string(pid); }

std::optional<std::string> readWhole(const fs::path& path) { return platform::readProcFile(path); }

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

/// The fields of /proc/PID/stat after the command name, which may itself hold spaces and ')'.
std::vector<std::string> statFields(pid_t pid)
{
    auto text = readWhole(procPath(pid) / "stat");
    if (!text) return {};
    auto close = text->rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream rest(text->substr(close + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;) fields.push_back(field);
    return fields;
}

using platform::statusValue;

long leadingNumber(const std::optional<std::string>& text)
{
    if (!text) return 0;
    try {
        return std::stol(*text);
    } catch (const std::exception&) {
        return 0;
    }
}

std::uint64_t capabilitySet(const std::string& status, std::string_view key)
{
    try {
        return std::stoull(statusValue(status, key).value_or("0"), nullptr, 16);
    } catch (const std::exception&) {
        // Unreadable: as if it held every capability, so that no check lets it through.
        return ~std::uint64_t{0};
    }
}

std::optional<time_t> bootTime()
{
    std::ifstream in("/proc/stat");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("btime ", 0) == 0) return static_cast<time_t>(leadingNumber(line.substr(6)));
    }
    return std::nullopt;
}

std::string userNameOf(uid_t uid)
{
    const auto entry = tarvix::platform::passwordEntry(uid);
    return entry ? entry->name : "unknown";
}

}  // namespace

ProcessState processState(pid_t pid)
{
    auto fields = statFields(pid);
    if (fields.empty()) return ProcessState::Gone;
    // Z: exited, waiting for its parent; X: being reaped.
    return fields[0] == "Z" || fields[0] == "X" ? ProcessState::Gone : ProcessState::Running;
}

std::vector<uid_t> userIds(pid_t pid)
{
    auto status = readWhole(procPath(pid) / "status");
    std::vector<uid_t> ids;
    if (!status) return ids;
    std::istringstream fields(statusValue(*status, "Uid").value_or(""));
    for (uid_t id = 0; fields >> id;) ids.push_back(id);
    return ids;
}

std::optional<Credentials> threadCredentials(pid_t pid, pid_t tid)
{
    const fs::path folder = procPath(pid) / "task" / std::to_string(tid);
    struct stat owner {};
    const auto status = readWhole(folder / "status");
    // A file's owner, not the folder's: /proc keeps the folders its effective user's either way.
    if (!status || stat((folder / "status").c_str(), &owner) != 0) return std::nullopt;
    Credentials credentials;
    credentials.owner = owner.st_uid;
    std::istringstream uids(statusValue(*status, "Uid").value_or("")), gids(statusValue(*status, "Gid").value_or(""));
    for (uid_t id = 0; uids >> id;) credentials.uids.push_back(id);
    for (gid_t id = 0; gids >> id;) credentials.gids.push_back(id);
    if (credentials.uids.size() != 4 || credentials.gids.size() != 4) return std::nullopt;
    credentials.permitted = capabilitySet(*status, "CapPrm");
    credentials.effective = capabilitySet(*status, "CapEff");
    credentials.ambient = capabilitySet(*status, "CapAmb");
    return credentials;
}

bool Credentials::plain() const
{
    bool plain = !uids.empty() && !gids.empty() && owner == uids.front();
    for (const uid_t id : uids) plain = plain && id == uids.front();
    for (const gid_t id : gids) plain = plain && id == gids.front();
    return plain;
}

std::optional<int> yamaPtraceScope()
{
    const auto text = readWhole("/proc/sys/kernel/yama/ptrace_scope");
    if (!text) return std::nullopt;
    return static_cast<int>(leadingNumber(*text));
}

void readBundleInfo(ProcessInfo& info)
{
    if (!info.bundle) return;
    info.bundleIdentifier = tarvix::platform::bundleInfoString(*info.bundle, "CFBundleIdentifier");
    info.bundleVersion = tarvix::platform::bundleInfoString(*info.bundle, "CFBundleShortVersionString");
}

std::string threadName(pid_t pid, pid_t tid)
{
    auto text = readWhole(procPath(pid) / "task" / std::to_string(tid) / "comm");
    return text ? firstLine(*text) : std::string();
}

std::optional<fs::path> bundleOfExecutable(const fs::path& executable)
{
    auto macos = executable.parent_path();
    auto contents = macos.parent_path();
    auto bundle = contents.parent_path();
    if (macos.filename() != "MacOS" || contents.filename() != "Contents" || bundle.extension() != ".app")
        return std::nullopt;
    return bundle;
}

std::optional<ProcessInfo> readProcessInfo(pid_t pid)
{
    if (processState(pid) == ProcessState::Gone) return std::nullopt;
    auto fields = statFields(pid);
    auto status = readWhole(procPath(pid) / "status");
    if (fields.size() < 20 || !status) return std::nullopt;

    ProcessInfo info;
    info.pid = pid;
    info.name = firstLine(readWhole(procPath(pid) / "comm").value_or(""));
    auto commandLine = readWhole(procPath(pid) / "cmdline").value_or("");
    while (!commandLine.empty() && commandLine.back() == '\0') commandLine.pop_back();
    for (char& c : commandLine)
        if (c == '\0') c = ' ';
    info.commandLine = commandLine;

    std::error_code error;
    auto executable = fs::read_symlink(procPath(pid) / "exe", error).string();
    constexpr std::string_view kDeleted = " (deleted)";
    if (executable.size() > kDeleted.size() && executable.ends_with(kDeleted))
        executable.resize(executable.size() - kDeleted.size());
    info.executable = executable;
    info.bundle = bundleOfExecutable(info.executable);

    info.parentPid = static_cast<pid_t>(leadingNumber(fields[1]));
    info.parentName = firstLine(readWhole(procPath(info.parentPid) / "comm").value_or(""));
    info.uid = static_cast<uid_t>(leadingNumber(statusValue(*status, "Uid")));
    info.userName = userNameOf(info.uid);

    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    info.userCpuSeconds = static_cast<double>(leadingNumber(fields[11])) / ticks;
    info.systemCpuSeconds = static_cast<double>(leadingNumber(fields[12])) / ticks;
    if (auto boot = bootTime())
        info.startTime = *boot + static_cast<time_t>(static_cast<double>(leadingNumber(fields[19])) / ticks);
    info.residentKiB = leadingNumber(statusValue(*status, "VmRSS"));
    info.threadCount = static_cast<int>(leadingNumber(statusValue(*status, "Threads")));
    info.tracerPid = static_cast<pid_t>(leadingNumber(statusValue(*status, "TracerPid")));
    info.permittedCapabilities = capabilitySet(*status, "CapPrm");
    const auto credentials = threadCredentials(pid, pid);
    info.plain = credentials && credentials->plain();
    return info;
}

}  // namespace tarvix::spindump
