#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarvix::spindump {

/// What /proc says about a process when sampling starts: the report's header.
struct ProcessInfo {
    pid_t pid = 0;
    std::string name;
    std::string commandLine;
    std::filesystem::path executable;
    std::optional<std::filesystem::path> bundle;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> bundleVersion;
    pid_t parentPid = 0;
    std::string parentName;
    uid_t uid = 0;
    std::string userName;
    std::optional<time_t> startTime;
    double userCpuSeconds = 0;
    double systemCpuSeconds = 0;
    long residentKiB = 0;
    int threadCount = 0;
    /// The debugger attached to it, 0 when none.
    pid_t tracerPid = 0;
    /// Its permitted capabilities (CapPrm), a bit per capability.
    std::uint64_t permittedCapabilities = 0;
    /// Acts as one user in every id, its /proc folder theirs: not set-id, still dumpable.
    bool plain = false;
};

enum class ProcessState { Running, Gone };

/// Gone when /proc has no such process or only its zombie (it has exited, not yet reaped).
ProcessState processState(pid_t pid);

/// Absent when the process does not exist (or has already exited). Leaves the bundle's
/// Info.plist unread.
std::optional<ProcessInfo> readProcessInfo(pid_t pid);

/// Real, effective, saved and filesystem user ids (/proc/PID/status); empty when it is gone.
std::vector<uid_t> userIds(pid_t pid);

/// Whom one thread acts as: its real, effective, saved and filesystem user and group ids, the
/// owner of its /proc files, which is root once the process is no longer dumpable, and its
/// permitted, effective and ambient capabilities.
struct Credentials {
    std::vector<uid_t> uids;
    std::vector<gid_t> gids;
    uid_t owner = 0;
    std::uint64_t permitted = 0, effective = 0, ambient = 0;
    bool operator==(const Credentials&) const = default;

    /// Every capability it holds in any of the three sets.
    std::uint64_t capabilities() const { return permitted | effective | ambient; }
    /// One user and one group in every id, and still dumpable: what no set-id program keeps.
    bool plain() const;
};

/// Absent when the thread is gone.
std::optional<Credentials> threadCredentials(pid_t pid, pid_t tid);

/// kernel.yama.ptrace_scope, absent where the Yama module is not loaded.
std::optional<int> yamaPtraceScope();

/// Fills in the bundle's identifier and version from its Info.plist. A parser of what the target
/// holds: it runs only once no capability is left.
void readBundleInfo(ProcessInfo& info);

/// /proc/PID/task/TID/comm, empty when the thread is gone.
std::string threadName(pid_t pid, pid_t tid);

/// The bundle whose Contents/MacOS/ holds `executable`, if any.
std::optional<std::filesystem::path> bundleOfExecutable(const std::filesystem::path& executable);

}  // namespace tarvix::spindump
