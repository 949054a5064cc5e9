#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/Guarded.h"
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
    /// Its folders as the step set them, also those of a step that failed part way; absent before
    /// the step or without a Library folder.
    std::optional<UtilityFunctions::Workspace> workspace;
    /// The target's flavour as the process last learned it, shared by all its windows: a start that
    /// cannot read the bundle's version keeps it ("Trunk" until one is read).
    std::shared_ptr<Guarded<std::string>> flavour = std::make_shared<Guarded<std::string>>("Trunk");
};

/// Log set-up, start banner, workspace, log moved into "System": the first window's workspace.
/// Also reverts a logging switch that an earlier run left on.
WindowWorkspace startUp(const platform::Folders& folders);
/// What the window opened after `window` gets: no workspace yet, the process's flavour.
WindowWorkspace nextWindow(const WindowWorkspace& window);
/// Close banner; the log is flushed. Ends nothing.
void windowClosed();
/// Called by the start control: when `window` was reopened without quitting, builds its new
/// workspace (and session folder) and moves the log there, once per window.
void recreateWorkspaceIfReopened(const platform::Folders& folders, WindowWorkspace& window);

}  // namespace tarvix::TarvixApp
