#include "core/target/RunningInstances.h"

#include "core/base/Format.h"
#include "core/log/Logger.h"
#include "core/target/InstallationDiscovery.h"
#include "core/workspace/SharedValues.h"
#include "platform/RunningApplications.h"

namespace UtilityFunctions {

bool IsApplicationRunning(const platform::Folders& folders, const std::string& bundleIdentifier)
{
    for (const platform::RunningApplication& application : platform::runningApplications(folders)) {
        if (application.bundleIdentifier != bundleIdentifier) continue;
        ProcessId.set(std::to_string(application.processIdentifier));
        if (application.bundleURL)
            FlavourFromAppVersion(*application.bundleURL);
        else
            Logger::logWarning(
                tarvix::format("Scrivo running instance has no bundle location, flavour kept: %@", {flavour.get()}));
        Logger::logInfo(tarvix::format("Scrivo running instance found. BundleIdentifier: %@", {bundleIdentifier}));
        return true;
    }
    Logger::logWarning(tarvix::format("Scrivo running instance not found. BundleIdentifier: %@", {bundleIdentifier}));
    return false;
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

}  // namespace UtilityFunctions
