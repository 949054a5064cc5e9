#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Guarded.h"
#include "base/TextBinding.h"
#include "core/discovery/TargetChoice.h"
#include "core/package/EmailPattern.h"
#include "core/package/Packaging.h"
#include "core/upload/UploadAPI.h"
#include "core/workspace/Session.h"
#include "platform/Platform.h"

/// The steps of one session as the window's flows take them; the flows map what each answers to
/// the window.
namespace tarvix {

/// Start: chooses the target and, for a found one, creates the edition folder below the
/// workspace's session folder and switches the target's logging on. The new session, or why the
/// start was refused (the user was told). `flavour`: the process's, read first and left as learned.
Result<Session, TargetChoice::Outcome> startSession(const platform::Platform& platform,
                                                    const std::optional<UtilityFunctions::Workspace>& workspace,
                                                    Guarded<std::string>& flavour);

/// Stop: the session's capture run, naming its tasks in `statusText` (the status text of the
/// window that started it); `completion` runs on the interface thread after it.
void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    TextBinding statusText, std::function<void()> completion);

/// Share: uploads the session's archive, its progress shown in `statusText` (see UploadAPI::upload).
/// The started upload, the one its window may cancel; null when none started.
std::shared_ptr<UploadAPI::UploadTask> uploadSession(const Session& session, TextBinding statusText,
                                                     UploadAPI::CompletionHandler completion);

/// What the window tells of a failed upload.
enum class UploadFailure { notConnected, cancelled, other };
UploadFailure uploadFailureOf(const UploadAPI::Error& error);

/// The run's Log ID (UniqueId), which the archive's name carries too.
const std::string& logId();

/// After a successful upload: removes the session's own folder with its archive.
Status removeUploadedSession(const Session& session);

}  // namespace tarvix
