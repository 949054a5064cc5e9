#include "core/shell/Lifecycle.h"

#include "core/collect/PListOperations.h"
#include "core/log/Logger.h"
#include "core/workspace/UtilityFunctions.h"

namespace TarvixApp {
namespace {

/// Steps shared by start-up and the reopened-window start: workspace, then the log follows it.
void createWorkspace()
{
    if (UtilityFunctions::CreateOutputDirectories()) {
        if (const auto system = UtilityFunctions::tempSystemURL.get()) Logger::changeLogFileLocation(*system);
        PListOperations::revertLeftoverLogging();
    } else {
        Logger::logError("Application terminated");
    }
}

}  // namespace

void startUp()
{
    Logger::setupLogFile();
    Logger::log("----------------------------Application Started----------------------------", Logger::LogType::Debug);
    createWorkspace();
    UtilityFunctions::isOutputDirectoryCreated = true;
}

void windowClosed()
{
    Logger::logInfo("--------------onDisappear triggered, application closed-------------- \n\n");
    UtilityFunctions::isOutputDirectoryCreated = false;
}

void recreateWorkspaceIfReopened()
{
    if (UtilityFunctions::isOutputDirectoryCreated) return;
    Logger::log("--------------Application restarted without quitting--------------", Logger::LogType::Debug);
    createWorkspace();
}

}  // namespace TarvixApp
