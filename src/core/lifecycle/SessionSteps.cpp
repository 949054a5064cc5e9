#include "core/lifecycle/SessionSteps.h"

#include "core/collect/PListOperations.h"
#include "core/collect/ProcessExecution.h"
#include "core/package/Pruning.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/TargetChoice.h"
#include "core/upload/UploadAPI.h"
#include "core/workspace/SharedValues.h"

namespace tarvix {

void bindStatusText(const TextBinding& statusText)
{
    ProcessExecution::labelTextBinding.set(statusText);
    UploadAPI::uploadProgress.set(statusText);
}

std::optional<Session> startSession(const platform::Platform& platform, bool isScrivologgingEnabled)
{
    const TargetChoice target = chooseTarget(platform.folders, *platform.ui);
    if (target.outcome != TargetChoice::Outcome::found) return std::nullopt;
    // Below the session folder the workspace step made, not tempOutputURL: an earlier session's
    // flow still running (its window closed) may move that one.
    const auto output =
        UtilityFunctions::SetScrivoOrGlance(target.runningInstance, UtilityFunctions::tempTimeStampedURL.get());
    Session session = sessionFromSharedValues();
    session.output = output;
    PListOperations::EnableScrivoLogging(isScrivologgingEnabled, session);
    return session;
}

void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    bool isScrivologgingEnabled, std::function<void()> completion)
{
    ProcessExecution::runTasksConcurrently(getInstalledApps, getSpinDump, isScrivologgingEnabled, platform, session,
                                           std::move(completion));
}

void removeUploadedSession(const Session& session)
{
    if (session.folder) FilesPathDirectory::deleteDirectory(*session.folder);
}

}  // namespace tarvix
