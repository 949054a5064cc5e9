#include "core/target/RunningInstances.h"

#include "core/log/Format.h"
#include "core/log/Logger.h"
#include "core/target/InstallationDiscovery.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Applications.h"

namespace UtilityFunctions {

bool IsApplicationRunning(const std::string& bundleIdentifier)
{
    for (const platform::RunningApplication& application : platform::runningApplications(platform::current().folders)) {
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

bool IsProcessRunning(const std::string& processId)
{
    for (const platform::RunningApplication& application : platform::runningApplications(platform::current().folders)) {
        if (std::to_string(application.processIdentifier) != processId) continue;
        Logger::logInfo(tarvix::format("Scrivo process is running. ProcessId: %@", {processId}));
        return true;
    }
    Logger::logWarning(tarvix::format("Scrivo process is not running. ProcessId: %@", {processId}));
    return false;
}

bool IsMultipleInstance()
{
    const bool multiple = ScrivoRunningInstance.get().size() >= 2;
    if (multiple)
        displayAlert(
            "Multiple instances of Scrivo detected",
            "Please ensure that only one Scrivo app which needs troubleshooting is open, before running Tarvix.", "OK");
    return multiple;
}

void displayAlert(const std::string& title, const std::string& message, const std::string& buttonTitle)
{
    // The interface shows the alert on its own thread and returns at once; nothing waits for it.
    if (const auto& ui = platform::current().ui) ui->displayAlert(title, message, buttonTitle);
}

}  // namespace UtilityFunctions
