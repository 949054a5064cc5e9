#include "core/discovery/TargetChoice.h"

#include "core/discovery/InstallationDiscovery.h"
#include "core/discovery/RunningInstances.h"
#include "core/log/Logger.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

using namespace UtilityFunctions;

/// The first installed copy of one edition, after its lookup.
std::optional<fs::path> firstInstalled(const platform::Folders& folders, bool fullEdition)
{
    const auto urls = fullEdition ? getScrivoInstalledPath(folders) : getGlanceInstalledPath(folders);
    if (urls.empty()) return std::nullopt;
    return urls.front();
}

}  // namespace

TargetChoice chooseTarget(const platform::Folders& folders, platform::UserInterface& ui, std::string flavour)
{
    TargetChoice choice;
    choice.flavour = std::move(flavour);
    for (const auto& identifier : ScrivoBundleIndentifiers) {
        const auto running = IsApplicationRunning(folders, identifier, choice.flavour);
        if (!running) continue;
        choice.runningInstance.push_back(identifier);
        choice.processId = running->processId;
        if (running->flavour) choice.flavour = *running->flavour;
    }
    choice.edition = scrivoOrGlance(choice.runningInstance);
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
        choice.edition = scrivoOrGlance(choice.runningInstance);
        if (const auto flavour = FlavourFromAppVersion(*choice.installation)) choice.flavour = *flavour;
    }
    choice.outcome = TargetChoice::Outcome::found;
    return choice;
}

}  // namespace tarvix
