#include "core/lifecycle/Lifecycle.h"

#include "core/collect/PListOperations.h"
#include "core/log/Logger.h"

namespace tarvix::TarvixApp {
namespace {

/// Steps shared by start-up and the reopened-window start: workspace, then the log follows it.
std::optional<UtilityFunctions::Workspace> createWorkspace(const platform::Folders& folders)
{
    auto created = UtilityFunctions::CreateOutputDirectories(folders);
    if (created) Logger::changeLogFileLocation(created->tempSystemURL);
    if (!created) Logger::logError("Application terminated");
    // Later flows use whatever locations were set: a session folder that exists still collects.
    auto workspace = created ? std::move(created).value() : created.error().locations;
    // A record that stands is tried again by the next session's start.
    if (workspace) PListOperations::revertLeftoverLogging(workspace->tempSystemURL).status().absorb();
    return workspace;
}

}  // namespace

WindowWorkspace startUp(const platform::Folders& folders)
{
    Logger::setupLogFile(folders.caches);
    Logger::log("----------------------------Application Started----------------------------", Logger::LogType::Debug);
    return {true, createWorkspace(folders)};
}

WindowWorkspace nextWindow(const WindowWorkspace& window) { return {false, std::nullopt, window.flavour}; }

void windowClosed()
{
    Logger::logInfo("--------------onDisappear triggered, application closed-------------- \n\n");
    // The process may stay hidden for long: the file already holds how the session ended.
    Logger::flush();
}

void recreateWorkspaceIfReopened(const platform::Folders& folders, WindowWorkspace& window)
{
    if (window.isOutputDirectoryCreated) return;
    Logger::log("--------------Application restarted without quitting--------------", Logger::LogType::Debug);
    // Once per window: a later Start of the same window (a retry after a refusal) keeps its folder.
    window.workspace = createWorkspace(folders);
    window.isOutputDirectoryCreated = true;
}

}  // namespace tarvix::TarvixApp
