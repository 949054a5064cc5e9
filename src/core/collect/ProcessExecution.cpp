#include "core/collect/ProcessExecution.h"

#include <algorithm>
#include <cctype>

#include "core/collect/CaptureCommands.h"
#include "core/collect/Collectors.h"
#include "core/collect/PListOperations.h"
#include "core/log/Logger.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/UtilityFunctions.h"
#include "platform/Platform.h"
#include "platform/SerialQueue.h"

namespace ProcessExecution {

tarvix::Guarded<tarvix::TextBinding> labelTextBinding;

namespace {

using namespace detail;

void setStatus(const std::string& text)
{
    if (const tarvix::TextBinding binding = labelTextBinding.get()) binding->setText(text);
}

/// The output folder as it may stand in a command line, or why it may not.
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

tarvix::Result<platform::ProcessExit> runSpinDump()
{
    const auto folder = UtilityFunctions::tempOutputURL.get();
    const auto output = quotableOutput("Spindump", folder);
    if (!output) return output.failure();
    const std::string processId = UtilityFunctions::ProcessId.get();
    if (!isDecimal(processId)) {
        Logger::logWarning("Spindump skipped: the process id is not a number: " + processId);
        return tarvix::Failure{"The process id is not a number."};
    }
    const std::string commandLine = spindumpCommandLine(processId, *output);
    Logger::logInfo("Spindump shell script: " + doShellScriptSource(commandLine, true));

    // The command line is only logged: root runs our own tool by its path, with no shell.
    const platform::Platform& system = platform::current();
    const auto tool = platform::toolRootMayRun(system.folders, "spindump");
    if (!tool) Logger::logWarning("Spindump runs without administrator privileges: " + tool.message());
    const std::vector<std::string> arguments{processId, "-file", (*folder / "spinReport.txt").string()};
    return platform::runTool(system, tool ? *tool : system.folders.libexec / "spindump", arguments, tool.ok());
}

tarvix::Result<platform::ProcessExit> runSystemProfiler()
{
    const auto output = quotableOutput("System profiler", UtilityFunctions::tempOutputURL.get());
    if (!output) return output.failure();
    return platform::doShellScript(platform::current(), systemProfilerCommandLine(*output));
}

void runTasksConcurrently(bool getInstalledApps, bool getSpinDump, bool isScrivologgingEnabled,
                          std::function<void()> completion)
{
    platform::SerialQueue queue("MonitoringQueue");
    Logger::logInfo("Monitoring Queue initiated.");

    queue.async([getSpinDump] {
        if (!getSpinDump) return;
        if (!UtilityFunctions::IsProcessRunning(UtilityFunctions::ProcessId.get())) return;
        setStatus("Capturing Scrivo data dump.");
        Logger::logInfo(platform::describe(runSpinDump()));
    });
    queue.async([getInstalledApps, getSpinDump] {
        if (!getInstalledApps || !getSpinDump) return;
        setStatus("Capturing system configuration and settings.");
        Logger::logInfo(platform::describe(runSystemProfiler()));
    });
    queue.async([isScrivologgingEnabled] {
        setStatus("Capturing Scrivo settings and logs.");
        PListOperations::GetScrivoLogs(isScrivologgingEnabled);
        UtilityFunctions::GetPropertyList();
        UtilityFunctions::GetLicensingLogs();
        UtilityFunctions::GetInstallLogs();
        UtilityFunctions::GetIPMLogs();
        PListOperations::RevertScrivoLogPList(isScrivologgingEnabled);
    });
    // The queue is serial, so this runs after the three tasks: the group's notification.
    queue.async([ui = platform::current().ui, completion = std::move(completion)]() mutable {
        if (ui && completion) ui->postToMainThread(std::move(completion));
    });
}

}  // namespace ProcessExecution
