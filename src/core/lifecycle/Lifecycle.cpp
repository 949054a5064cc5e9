#include "core/lifecycle/Lifecycle.h"

#include "core/collect/PListOperations.h"
#include "core/log/Logger.h"

namespace tarvix::TarvixApp {
namespace {

/// Steps shared by start-up and the reopened-window start: workspace, then the log follows it.
WindowWorkspace createWorkspace(const platform::Folders& folders)
{
    auto created = UtilityFunctions::CreateOutputDirectories(folders);
    if (!created) {
        Logger::logError("Application terminated");
        return {true, std::nullopt};
    }
    Logger::changeLogFileLocation(created->tempSystemURL);
    // A record that stands is tried again by the next session's start.
    PListOperations::revertLeftoverLogging(created->tempSystemURL).absorb();
    return {true, std::move(created).value()};
}

}  // namespace

WindowWorkspace startUp(const platform::Folders& folders)
{
    Logger::setupLogFile(folders.caches);
    Logger::log("----------------------------Application Started----------------------------", Logger::LogType::Debug);
    return createWorkspace(folders);
}

void windowClosed() { Logger::logInfo("--------------onDisappear triggered, application closed-------------- \n\n"); }

void recreateWorkspaceIfReopened(const platform::Folders& folders, WindowWorkspace& window)
{
    if (window.isOutputDirectoryCreated) return;
    Logger::log("--------------Application restarted without quitting--------------", Logger::LogType::Debug);
    // Once per window: a later Start of the same window (a retry after a refusal) keeps its folder.
    window = createWorkspace(folders);
}

}  // namespace tarvix::TarvixApp
