#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/UnifiedLog.h"

/// The diagnostic log "TarvixDebugOutput.log": one line per entry in the file, and the same
/// entry in the system journal. Never fails its caller; its own failures go to standard output.
/// Safe to call from any thread: each line reaches the file whole, exactly once.
namespace Logger {

using LogType = platform::LogType;

/// Prepares "Logs" in the user's caches folder; without one the journal alone gets the entries.
void setupLogFile(const std::optional<std::filesystem::path>& caches);
void logInfo(std::string_view message);
void logError(std::string_view message);
void logWarning(std::string_view message);
/// No severity prefix; used for the banners.
void log(std::string_view message, LogType type);
/// Moves the file into `folder`, merging with a file of the same name there.
void changeLogFileLocation(const std::filesystem::path& folder);

/// The current file, if any.
std::optional<std::filesystem::path> logFileURL();

}  // namespace Logger
