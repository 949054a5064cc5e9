#include "core/lifecycle/Lifecycle.h"

#include "core/collect/PListOperations.h"
#include "core/log/Logger.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"

namespace TarvixApp {
namespace {

/// Steps shared by start-up and the reopened-window start: workspace, then the log follows it.
void createWorkspace(const platform::Folders& folders)
{
    if (UtilityFunctions::CreateOutputDirectories(folders)) {
        const auto system = UtilityFunctions::tempSystemURL.get();
        if (system) Logger::changeLogFileLocation(*system);
        PListOperations::revertLeftoverLogging(system);
    } else {
        Logger::logError("Application terminated");
    }
}

}  // namespace

void startUp(const platform::Folders& folders)
{
    Logger::setupLogFile(folders.caches);
    Logger::log("----------------------------Application Started----------------------------", Logger::LogType::Debug);
    createWorkspace(folders);
    UtilityFunctions::isOutputDirectoryCreated = true;
}

void windowClosed()
{
    Logger::logInfo("--------------onDisappear triggered, application closed-------------- \n\n");
    UtilityFunctions::isOutputDirectoryCreated = false;
}

void recreateWorkspaceIfReopened(const platform::Folders& folders)
{
    if (UtilityFunctions::isOutputDirectoryCreated) return;
    Logger::log("--------------Application restarted without quitting--------------", Logger::LogType::Debug);
    createWorkspace(folders);
    // Once per window: a later Start of the same window (a retry after a refusal) keeps its folder.
    UtilityFunctions::isOutputDirectoryCreated = true;
}

}  // namespace TarvixApp
