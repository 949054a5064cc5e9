#include "core/collect/CaptureCommands.h"

#include "base/Format.h"

namespace tarvix::ProcessExecution::detail {

std::optional<std::string> shellQuotable(const std::filesystem::path& path)
{
    std::string out;
    for (const char c : path.string()) {
        if (c == '\n' || c == '\r') return std::nullopt;
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out;
}

std::string spindumpCommandLine(const std::string& processId, const std::string& quotableOutput)
{
    return "spindump " + processId + " -file '" + quotableOutput + "/spinReport.txt' ";
}

std::string systemProfilerCommandLine(const std::string& quotableOutput)
{
    return "system_profiler -detailLevel full SPApplicationsDataType > '" + quotableOutput + "/sysinfo.xml'";
}

std::string doShellScriptSource(const std::string& commandLine, bool withAdministratorPrivileges)
{
    std::string source = "do shell script \"" + tarvix::escapedForQuotes(commandLine) + "\"";
    if (withAdministratorPrivileges) source += " with administrator privileges";
    return source;
}

}  // namespace tarvix::ProcessExecution::detail
