#include "core/lifecycle/SessionSteps.h"

#include "core/collect/PListOperations.h"
#include "core/collect/ProcessExecution.h"
#include "core/package/Pruning.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/TargetChoice.h"

namespace tarvix {

std::optional<Session> startSession(const platform::Platform& platform,
                                    const std::optional<UtilityFunctions::Workspace>& workspace,
                                    bool isScrivologgingEnabled)
{
    const TargetChoice target = chooseTarget(platform.folders, *platform.ui);
    if (target.outcome != TargetChoice::Outcome::found) return std::nullopt;
    Session session = workspace ? sessionIn(*workspace) : Session{};
    session.output = UtilityFunctions::SetScrivoOrGlance(target.runningInstance, session.folder);
    if (!target.runningInstance.empty()) session.bundleIdentifier = target.runningInstance.front();
    session.edition = target.edition;
    session.flavour = target.flavour;
    session.processId = target.processId;
    PListOperations::EnableScrivoLogging(isScrivologgingEnabled, session);
    return session;
}

void captureSession(const platform::Platform& platform, const Session& session, bool getInstalledApps, bool getSpinDump,
                    bool isScrivologgingEnabled, TextBinding statusText, std::function<void()> completion)
{
    ProcessExecution::runTasksConcurrently(getInstalledApps, getSpinDump, isScrivologgingEnabled, platform, session,
                                           std::move(statusText), std::move(completion));
}

void removeUploadedSession(const Session& session)
{
    if (session.folder) FilesPathDirectory::deleteDirectory(*session.folder);
}

}  // namespace tarvix
