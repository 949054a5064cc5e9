#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace tarvix::sample {

/// The program of a bundle, started as a running instance; stopped (SIGTERM, then SIGKILL) when
/// the object goes away unless released.
class RunningInstance {
public:
    /// Starts BUNDLE/Contents/MacOS/<name> and waits until both of its threads are up; as user
    /// `user` (uid and gid, no other groups) when given, which needs root. With `realOnly`, only the
    /// real ids are theirs, as when they start a set-id program of ours.
    explicit RunningInstance(const std::filesystem::path& bundle, std::optional<uid_t> user = std::nullopt,
                             bool realOnly = false);
    ~RunningInstance();
    RunningInstance(RunningInstance&& other) noexcept;
    RunningInstance& operator=(RunningInstance&&) = delete;
    RunningInstance(const RunningInstance&) = delete;
    RunningInstance& operator=(const RunningInstance&) = delete;

    pid_t pid() const { return m_pid; }
    /// Stops the instance and reaps it; true when it ended on SIGTERM in time.
    bool stop();
    /// Leaves the instance running after this object is gone.
    void release() { m_pid = 0; }

private:
    pid_t m_pid = 0;
};

}  // namespace tarvix::sample
