#pragma once

#include <optional>

#include "core/workspace/Workspace.h"
#include "platform/Platform.h"

/// The Qt-free part of the application shell: what happens before the first window, when a
/// window closes, and when a reopened window starts a session.
namespace tarvix::TarvixApp {

/// The workspace one window's sessions use. The first window gets start-up's; a window opened
/// again without quitting makes its own at its first start.
struct WindowWorkspace {
    /// Whether this window's workspace step has run (also when it failed).
    bool isOutputDirectoryCreated = false;
    /// Its folders; absent when the step failed or has not run.
    std::optional<UtilityFunctions::Workspace> workspace;
};

/// Log set-up, start banner, workspace, log moved into "System": the first window's workspace.
/// Also reverts a logging switch that an earlier run left on.
WindowWorkspace startUp(const platform::Folders& folders);
/// Close banner. Ends nothing.
void windowClosed();
/// Called by the start control: when `window` was reopened without quitting, builds its new
/// workspace (and session folder) and moves the log there, once per window.
void recreateWorkspaceIfReopened(const platform::Folders& folders, WindowWorkspace& window);

}  // namespace tarvix::TarvixApp
