#pragma once

#include <functional>
#include <optional>

#include "core/base/TextBinding.h"
#include "core/package/Packaging.h"
#include "core/workspace/Session.h"
#include "platform/Platform.h"

/// The steps of one session as the window's flows take them; the flows map what each answers to
/// the window.
namespace tarvix {

/// Points the capture tasks' and the upload's status text at `statusText` (the window's logLabel).
void bindStatusText(const TextBinding& statusText);

/// Start: chooses the target and, for a found one, creates the edition folder and switches the
/// target's logging on. The new session; absent when the start was refused (the user was told).
std::optional<Session> startSession(const platform::Platform& platform, bool isScrivologgingEnabled);

/// Stop: the session's capture run; `completion` runs on the interface thread after it.
void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    bool isScrivologgingEnabled, std::function<void()> completion);

/// After a successful upload: removes the session's own folder with its archive.
void removeUploadedSession(const Session& session);

}  // namespace tarvix
