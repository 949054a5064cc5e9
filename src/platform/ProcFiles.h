#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix::platform {

/// A process or thread id as a /proc folder or a command line names it: decimal digits only, above 0.
std::optional<pid_t> parsePid(std::string_view text);

/// A file below /proc (status, stat, comm, cmdline, maps) as text; absent once the process is gone
/// or when it cannot be read.
std::optional<std::string> readProcFile(const std::filesystem::path& file);

/// The value of "Key:" in the text of a /proc status file, its leading blanks dropped.
std::optional<std::string> statusValue(std::string_view status, std::string_view key);

}  // namespace tarvix::platform
