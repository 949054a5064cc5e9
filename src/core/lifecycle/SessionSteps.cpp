#include "core/lifecycle/SessionSteps.h"

#include "core/collect/PListOperations.h"
#include "core/collect/ProcessExecution.h"
#include "core/discovery/InstallationDiscovery.h"
#include "core/discovery/TargetChoice.h"
#include "core/package/EmailPattern.h"
#include "core/package/Pruning.h"
#include "core/upload/UrlErrors.h"
#include "core/workspace/SharedValues.h"

namespace tarvix {

Result<Session, TargetChoice::Outcome> startSession(const platform::Platform& platform,
                                                    const std::optional<UtilityFunctions::Workspace>& workspace,
                                                    Guarded<std::string>& flavour)
{
    const TargetChoice target = chooseTarget(platform.folders, *platform.ui, flavour.get());
    flavour.set(target.flavour);
    if (target.outcome != TargetChoice::Outcome::found) return target.outcome;
    Session session = workspace ? sessionIn(*workspace) : Session{};
    session.output = tarvix::SetScrivoOrGlance(target.runningInstance, session.folder);
    if (!target.runningInstance.empty()) session.bundleIdentifier = target.runningInstance.front();
    session.edition = target.edition;
    session.flavour = target.flavour;
    session.processId = target.processId;
    // Without verbose logging the session still collects the target's ordinary logs.
    if (const auto switched = PListOperations::EnableScrivoLogging(session))
        session.loggingSwitch = switched->loggingSwitch;
    return session;
}

void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    TextBinding statusText, std::function<void()> completion)
{
    ProcessExecution::runTasksConcurrently(getInstalledApps, getSpinDump, platform, session, std::move(statusText),
                                           std::move(completion));
}

std::shared_ptr<UploadAPI::UploadTask> uploadSession(const Session& session, TextBinding statusText,
                                                     UploadAPI::CompletionHandler completion)
{
    return UploadAPI::upload(session.archive, std::move(statusText), std::move(completion));
}

UploadFailure uploadFailureOf(const UploadAPI::Error& error)
{
    if (error.code == UploadAPI::kURLErrorNotConnectedToInternet) return UploadFailure::notConnected;
    if (error.code == UploadAPI::kURLErrorCancelled) return UploadFailure::cancelled;
    return UploadFailure::other;
}

const std::string& logId() { return UtilityFunctions::UniqueId(); }

Status removeUploadedSession(const Session& session)
{
    if (!session.folder) return Failure{"The session has no folder."};
    return FilesPathDirectory::deleteDirectory(*session.folder);
}

}  // namespace tarvix
