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
    UtilityFunctions::SetScrivoOrGlance(target.runningInstance, UtilityFunctions::tempOutputURL.get());
    Session session = sessionFromSharedValues();
    PListOperations::EnableScrivoLogging(isScrivologgingEnabled, session);
    // The switch chose a file only when it had a target and a preferences folder.
    if (isScrivologgingEnabled && session.bundleIdentifier && session.preferences)
        session.preferenceFile = PListOperations::PListURL.get();
    return session;
}

void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    bool isScrivologgingEnabled, std::function<void()> completion)
{
    ProcessExecution::runTasksConcurrently(getInstalledApps, getSpinDump, isScrivologgingEnabled, platform, session,
                                           std::move(completion));
}

void removeUploadedSession()
{
    if (const auto output = UtilityFunctions::tempOutputURL.get()) FilesPathDirectory::deleteDirectory(*output);
}

}  // namespace tarvix
