#include "core/target/TargetChoice.h"

#include "core/log/Logger.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

using namespace UtilityFunctions;

/// The first installed copy of one edition, after its lookup.
std::optional<fs::path> firstInstalled(const platform::Folders& folders, bool fullEdition)
{
    if (fullEdition)
        getScrivoInstalledPath(folders);
    else
        getGlanceInstalledPath(folders);
    const auto urls = (fullEdition ? scrivoInstalledUrls : glanceInstalledUrls).get();
    if (urls.empty()) return std::nullopt;
    return urls.front();
}

}  // namespace

TargetChoice chooseTarget(const platform::Folders& folders, platform::UserInterface& ui)
{
    TargetChoice choice;
    ScrivoRunningInstance.set({});
    // An earlier session's pid may belong to another process by now: only this start's match counts.
    ProcessId.set("");
    for (const auto& identifier : ScrivoBundleIndentifiers) {
        if (!IsApplicationRunning(folders, identifier)) continue;
        choice.runningInstance.push_back(identifier);
        ScrivoRunningInstance.set(choice.runningInstance);
    }
    if (IsMultipleInstance(choice.runningInstance, ui)) {
        Logger::logInfo("Scrivo multiple running instances.");
        choice.outcome = TargetChoice::Outcome::several;
        return choice;
    }
    if (choice.runningInstance.empty()) {
        Logger::logInfo("ScrivoRunningInstance.isEmpty");
        if ((choice.installation = firstInstalled(folders, true))) {
            Logger::logInfo("Scrivo installation found.");
            choice.runningInstance = {ScrivoBundleIndentifiers[0]};
        } else {
            Logger::logInfo("scrivoInstalledUrls.isEmpty");
            if ((choice.installation = firstInstalled(folders, false))) {
                Logger::logInfo("Glance installation found.");
                choice.runningInstance = {ScrivoBundleIndentifiers[1]};
            } else {
                Logger::logInfo("glanceInstalledUrls.isEmpty");
                displayAlert(ui, "No Scrivo installation detected",
                             "No Scrivo installation found on this device. Please install Scrivo and then start "
                             "troubeshooting.",
                             "OK");
                return choice;
            }
        }
        ScrivoRunningInstance.set(choice.runningInstance);
        FlavourFromAppVersion(*choice.installation);
    }
    choice.outcome = TargetChoice::Outcome::found;
    return choice;
}

}  // namespace tarvix
