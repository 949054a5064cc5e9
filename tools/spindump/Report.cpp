#include "Report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/Clock.h"

namespace tarvix::spindump {
namespace {

std::string localTime(time_t when)
{
    return tarvix::platform::formatTime(when, "%Y-%m-%d %H:%M:%S %z", tarvix::platform::TimeZone::local);
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

std::string mebibytes(long kibibytes)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MiB (%ld KiB)", static_cast<double>(kibibytes) / 1024.0, kibibytes);
    return text;
}

void field(std::ostream& out, const std::string& name, const std::string& value)
{
    std::string label = name + ":";
    label.resize(std::max<size_t>(label.size() + 1, 20), ' ');
    out << label << value << '\n';
}

}  // namespace

void writeReport(std::ostream& out, const ProcessInfo& process, const SamplingResult& sampling, time_t sampledAt)
{
    field(out, "Date/Time", localTime(sampledAt));
    field(out, "Process", process.name + " [" + std::to_string(process.pid) + "]");
    field(out, "Command line", process.commandLine);
    field(out, "Executable", process.executable.string());
    // A program it ran while sampled as the same user with the same rights: its samples follow too.
    for (const auto& exec : sampling.execs)
        field(out, "Then ran", exec.executable + " (from sample " + std::to_string(exec.fromSample) + ")");
    if (process.bundle) {
        field(out, "Bundle", process.bundle->string());
        if (process.bundleIdentifier) field(out, "Identifier", *process.bundleIdentifier);
        if (process.bundleVersion) field(out, "Version", *process.bundleVersion);
    }
    field(out, "Parent", process.parentName + " [" + std::to_string(process.parentPid) + "]");
    field(out, "User", process.userName + " (" + std::to_string(process.uid) + ")");
    if (process.startTime) field(out, "Start time", localTime(*process.startTime));
    field(out, "CPU time", seconds(process.userCpuSeconds) + " user, " + seconds(process.systemCpuSeconds) + " system");
    field(out, "Resident memory", mebibytes(process.residentKiB));
    field(out, "Thread count", std::to_string(process.threadCount));
    out << '\n';

    field(out, "Sample interval", std::to_string(kSampleInterval.count()) + " ms");
    field(out, "Sample duration", std::to_string(kSampleDuration.count()) + " s");
    field(out, "Samples taken", std::to_string(sampling.samplesTaken));
    field(out, "Sampled for", std::to_string(sampling.elapsed.count()) + " ms");
    if (sampling.processExited)
        out << "The process exited during sampling; this report covers the samples taken before it ended.\n";
    if (sampling.identityChanged)
        out << "Sampling ended because the process changed identity (a new program or other credentials); this "
               "report covers the samples taken before.\n";
    out << '\n';

    std::vector<pid_t> order;
    if (sampling.threads.count(process.pid)) order.push_back(process.pid);
    for (const auto& [tid, thread] : sampling.threads)
        if (tid != process.pid) order.push_back(tid);

    for (pid_t tid : order) {
        const auto& thread = sampling.threads.at(tid);
        out << "Thread " << tid << " \"" << thread.name << "\"" << (tid == process.pid ? " (main thread)" : "")
            << "    " << thread.samples << (thread.samples == 1 ? " sample" : " samples") << '\n';
        thread.tree.print(out, 2);
        out << '\n';
    }
}

}  // namespace tarvix::spindump
