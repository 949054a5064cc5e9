#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tarvix::ProcessExecution::detail {

/// The path as it may stand between the single quotes of a shell command line: each ' becomes
/// '\'' so nothing of it is read by the shell. Absent for a path with a line break, which is
/// refused outright.
std::optional<std::string> shellQuotable(const std::filesystem::path& path);

/// "spindump PID -file 'OUT/spinReport.txt' " (OUT already made quotable).
std::string spindumpCommandLine(const std::string& processId, const std::string& quotableOutput);
/// "system_profiler -detailLevel full SPApplicationsDataType > 'OUT/sysinfo.xml'"
std::string systemProfilerCommandLine(const std::string& quotableOutput);
/// do shell script "COMMAND"[ with administrator privileges]
std::string doShellScriptSource(const std::string& commandLine, bool withAdministratorPrivileges);

}  // namespace tarvix::ProcessExecution::detail
