#pragma once

#include <functional>

#include "core/workspace/Guarded.h"
#include "core/workspace/TextBinding.h"
#include "platform/ShellScript.h"

/// The capture run started by "Stop monitoring".
namespace ProcessExecution {

extern tarvix::Guarded<tarvix::TextBinding> labelTextBinding;

/// Schedules the data-dump, system-configuration and settings-and-logs tasks, one after another,
/// on the serial queue "MonitoringQueue"; returns at once. `completion` runs once on the
/// interface thread (platform UserInterface::postToMainThread) after all three.
void runTasksConcurrently(bool getInstalledApps, bool getSpinDump, bool isScrivologgingEnabled,
                          std::function<void()> completion);

/// How the tool ended; a Failure when it could not run. platform::describe gives the log text.
tarvix::Result<platform::ProcessExit> runSpinDump();
tarvix::Result<platform::ProcessExit> runSystemProfiler();

}  // namespace ProcessExecution
