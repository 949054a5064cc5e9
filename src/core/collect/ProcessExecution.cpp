#include "core/collect/ProcessExecution.h"

#include <algorithm>
#include <cctype>

#include "base/Status.h"
#include "core/collect/CaptureCommands.h"
#include "core/collect/Collectors.h"
#include "core/collect/PListOperations.h"
#include "core/discovery/RunningInstances.h"
#include "core/log/Logger.h"
#include "core/workspace/CopyPrimitives.h"
#include "platform/SerialQueue.h"

namespace tarvix::ProcessExecution {

namespace {

using namespace detail;

void setStatus(const tarvix::TextBinding& binding, const std::string& text)
{
    if (binding) binding->setText(text);
}

/// The output folder as it may stand in a command line, or why it may not (logged here).
tarvix::Result<std::string> quotableOutput(const char* capture, const std::optional<std::filesystem::path>& output)
{
    if (!output) {
        // The command line would otherwise name a file in the root folder, outside the workspace.
        Logger::logWarning(std::string(capture) + " skipped: the output folder is not set.");
        return tarvix::Failure{"The output folder is not set."};
    }
    auto quotable = shellQuotable(*output);
    if (!quotable) {
        Logger::logError(std::string(capture) + " skipped: the output folder's path contains a line break.");
        return tarvix::Failure{"The output folder's path contains a line break."};
    }
    return *quotable;
}

bool isDecimal(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

tarvix::Result<platform::ProcessExit> runSpinDump(const platform::Platform& platform, const tarvix::Session& session)
{
    const auto output = quotableOutput("Spindump", session.output);
    if (!output) return output.failure();
    const std::string& processId = session.processId;
    if (!isDecimal(processId)) {
        Logger::logWarning("Spindump skipped: the process id is not a number: " + processId);
        return tarvix::Failure{"The process id is not a number."};
    }
    const std::string commandLine = spindumpCommandLine(processId, *output);
    Logger::logInfo("Spindump shell script: " + doShellScriptSource(commandLine, true));

    // The command line is only logged: root runs our own tool by its path, with no shell.
    const auto tool = platform::toolRootMayRun(platform.folders, "spindump");
    if (!tool) Logger::logWarning("Spindump runs without administrator privileges: " + tool.message());
    const std::vector<std::string> arguments{processId, "-file", (*session.output / "spinReport.txt").string()};
    return platform::runTool(platform, tool ? *tool : platform.folders.libexec / "spindump", arguments, tool.ok());
}

tarvix::Result<platform::ProcessExit> runSystemProfiler(const platform::Platform& platform,
                                                        const tarvix::Session& session)
{
    const auto output = quotableOutput("System profiler", session.output);
    if (!output) return output.failure();
    return platform::doShellScript(platform, systemProfilerCommandLine(*output));
}

void runTasksConcurrently(bool getInstalledApps, bool getSpinDump, const platform::Platform& platform,
                          const tarvix::Session& session, tarvix::TextBinding labelTextBinding,
                          std::function<void()> completion)
{
    platform::SerialQueue queue("MonitoringQueue");
    Logger::logInfo("Monitoring Queue initiated.");
    // The tasks outlive this call (and may outlive the window): they keep their own copies.
    const auto services = std::make_shared<const platform::Platform>(platform);
    auto own = std::make_shared<tarvix::Session>(session);
    if (!own->collectionBudget) own->collectionBudget = std::make_shared<platform::CopyBudget>(kCollectionBudget);
    const std::shared_ptr<const tarvix::Session> run = std::move(own);

    const auto status = std::move(labelTextBinding);
    queue.async([getSpinDump, services, run, status] {
        if (!getSpinDump) return;
        if (!tarvix::IsProcessRunning(services->folders, run->processId)) return;
        setStatus(status, "Capturing Scrivo data dump.");
        Logger::logInfo(platform::describe(runSpinDump(*services, *run)));
    });
    queue.async([getInstalledApps, getSpinDump, services, run, status] {
        if (!getInstalledApps || !getSpinDump) return;
        setStatus(status, "Capturing system configuration and settings.");
        Logger::logInfo(platform::describe(runSystemProfiler(*services, *run)));
    });
    queue.async([services, run, status] {
        setStatus(status, "Capturing Scrivo settings and logs.");
        // In this order (a braced list is evaluated left to right).
        const std::pair<const char*, tarvix::Status> groups[] = {
            {"GetScrivoLogs", PListOperations::GetScrivoLogs(*run)},
            {"GetPropertyList", tarvix::GetPropertyList(*run)},
            {"GetLicensingLogs", tarvix::GetLicensingLogs(*run)},
            {"GetInstallLogs", tarvix::GetInstallLogs(*run, services->folders.systemLog)},
            {"GetIPMLogs", tarvix::GetIPMLogs(*run)}};
        // A source the machine lacks is ordinary; a group that could not copy one it has is named.
        for (const auto& [collector, collected] : groups)
            if (!collected)
                Logger::logWarning(std::string(collector) + " did not collect everything: " + collected.message());
        // A switch that stays on stays on record: the next start-up reverts it.
        PListOperations::RevertScrivoLogPList(*run).status().absorb();
        UtilityFunctions::logLeftOutSummary(*run->collectionBudget);
    });
    // The queue is serial, so this runs after the three tasks: the group's notification.
    queue.async([services, completion = std::move(completion)]() mutable {
        if (completion) services->ui->postToMainThread(std::move(completion));
    });
}

}  // namespace tarvix::ProcessExecution
