#pragma once

#include "platform/Platform.h"

/// The Qt-free part of the application shell: what happens before the first window, when a
/// window closes, and when a reopened window starts a session.
namespace TarvixApp {

/// Log set-up, start banner, workspace, log moved into "System"; sets isOutputDirectoryCreated.
/// Also reverts a logging switch that an earlier run left on.
void startUp(const platform::Folders& folders);
/// Close banner; isOutputDirectoryCreated back to false. Ends nothing.
void windowClosed();
/// Called by the start control: when the window was reopened without quitting, builds a new
/// workspace (and session folder) and moves the log there, once per window.
void recreateWorkspaceIfReopened(const platform::Folders& folders);

}  // namespace TarvixApp
