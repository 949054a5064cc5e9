#pragma once

#include <cstdint>
#include <functional>

#include "base/TextBinding.h"
#include "core/workspace/Session.h"
#include "platform/Platform.h"
#include "platform/ShellScript.h"

/// The capture run started by "Stop monitoring".
namespace tarvix::ProcessExecution {

/// The raw bytes one capture run may copy (1 GiB). Text logs shrink about ninefold in the
/// archive, so more would rarely pass the 100 MiB upload limit; it also bounds the disk a
/// session takes while it waits to be shared.
inline constexpr std::uint64_t kCollectionBudget = std::uint64_t{1} << 30;

/// Schedules the data-dump, system-configuration and settings-and-logs tasks of `session`, one
/// after another, on the serial queue "MonitoringQueue"; returns at once. `completion` runs once
/// on the interface thread (platform.ui) after all three. Each task names itself in
/// `labelTextBinding`, the status text of the window that started the run.
void runTasksConcurrently(bool getInstalledApps, bool getSpinDump, const platform::Platform& platform,
                          const tarvix::Session& session, tarvix::TextBinding labelTextBinding,
                          std::function<void()> completion);

/// The data dump of the session's target into its output folder, with administrator rights where
/// the tool is root's alone. How the tool ended; a Failure when it could not run (platform::describe
/// gives the log text).
tarvix::Result<platform::ProcessExit> runSpinDump(const platform::Platform& platform, const tarvix::Session& session);
/// The installed-applications report into the session's output folder.
tarvix::Result<platform::ProcessExit> runSystemProfiler(const platform::Platform& platform,
                                                        const tarvix::Session& session);

}  // namespace tarvix::ProcessExecution
