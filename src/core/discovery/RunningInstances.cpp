#include "core/discovery/RunningInstances.h"

#include "base/Format.h"
#include "core/discovery/InstallationDiscovery.h"
#include "core/log/Logger.h"
#include "platform/RunningApplications.h"

namespace tarvix {

std::optional<RunningTarget> IsApplicationRunning(const platform::Folders& folders, const std::string& bundleIdentifier,
                                                  const std::string& flavour)
{
    for (const platform::RunningApplication& application : platform::runningApplications(folders)) {
        if (application.bundleIdentifier != bundleIdentifier) continue;
        RunningTarget found{std::to_string(application.processIdentifier), std::nullopt};
        if (application.bundleURL)
            found.flavour = FlavourFromAppVersion(*application.bundleURL);
        else
            Logger::logWarning(
                tarvix::format("Scrivo running instance has no bundle location, flavour kept: %@", {flavour}));
        Logger::logInfo(tarvix::format("Scrivo running instance found. BundleIdentifier: %@", {bundleIdentifier}));
        return found;
    }
    Logger::logWarning(tarvix::format("Scrivo running instance not found. BundleIdentifier: %@", {bundleIdentifier}));
    return std::nullopt;
}

bool IsProcessRunning(const platform::Folders& folders, const std::string& processId)
{
    for (const platform::RunningApplication& application : platform::runningApplications(folders)) {
        if (std::to_string(application.processIdentifier) != processId) continue;
        Logger::logInfo(tarvix::format("Scrivo process is running. ProcessId: %@", {processId}));
        return true;
    }
    Logger::logWarning(tarvix::format("Scrivo process is not running. ProcessId: %@", {processId}));
    return false;
}

bool IsMultipleInstance(const std::vector<std::string>& runningInstance, platform::UserInterface& ui)
{
    const bool multiple = runningInstance.size() >= 2;
    if (multiple)
        displayAlert(
            ui, "Multiple instances of Scrivo detected",
            "Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.", "OK");
    return multiple;
}

void displayAlert(platform::UserInterface& ui, const std::string& title, const std::string& message,
                  const std::string& buttonTitle)
{
    // The interface shows the alert on its own thread and returns at once; nothing waits for it.
    ui.displayAlert(title, message, buttonTitle);
}

}  // namespace tarvix
