#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/UnifiedLog.h"

/// The diagnostic log "TarvixDebugOutput.log": one line per entry in the file, and the same
/// entry in the system journal. Never fails its caller; its own failures go to standard output.
/// Safe to call from any thread: each line reaches the file whole, exactly once.
///
/// An entry is one line: in text built at run time (it carries values: file names, versions,
/// server replies) CR, LF and tab are written as \r, \n and \t, any other control character as
/// \x1b or \u0085, the invisible characters that reorder or break a line (U+202A-U+202E,
/// U+2066-U+2069, U+2028, U+2029, U+FEFF) as \u202e, and bytes that are not UTF-8 as \xNN, so no
/// value can forge an entry or reach a terminal that shows the log. A string literal is the log's
/// own wording and is written as it stands (the close banner ends in empty lines).
namespace tarvix::Logger {

using LogType = platform::LogType;

/// Whether a text is the log's own wording or was built at run time.
enum class Text { built, fixed };

/// The size the file's history is kept to across runs: whole runs, oldest dropped first.
inline constexpr std::uintmax_t kHistoryLimit = 8 * 1024 * 1024;

/// Where a run's entries go besides the file; a test may send them elsewhere.
struct LogOptions {
    /// The bytes a run writes to the file, so a run that logs without end cannot fill the disk:
    /// the first half of them, then one line counting the entries only the journal got, then the
    /// newest whole entries (written by flush()).
    std::uintmax_t runLimit = kHistoryLimit;
    /// Null: the system journal.
    std::shared_ptr<platform::Journal> journal{};
};

/// Starts a run's log: prepares "Logs" in the user's caches folder, for the user alone; without
/// one the journal alone gets the entries.
void setupLogFile(const std::optional<std::filesystem::path>& caches, LogOptions options = {});
void logInfo(std::string_view message, Text text = Text::built);
void logError(std::string_view message, Text text = Text::built);
void logWarning(std::string_view message, Text text = Text::built);
/// No severity prefix; used for the banners.
void log(std::string_view message, LogType type, Text text = Text::built);

template <std::size_t N>
void logInfo(const char (&literal)[N])
{
    logInfo(std::string_view(literal), Text::fixed);
}
template <std::size_t N>
void logError(const char (&literal)[N])
{
    logError(std::string_view(literal), Text::fixed);
}
template <std::size_t N>
void logWarning(const char (&literal)[N])
{
    logWarning(std::string_view(literal), Text::fixed);
}
template <std::size_t N>
void log(const char (&literal)[N], LogType type)
{
    log(std::string_view(literal), type, Text::fixed);
}

/// Moves the file into `folder`, merging with a file of the same name there. When the merged
/// history would pass kHistoryLimit, the oldest runs are dropped, and one entry says so.
void changeLogFileLocation(const std::filesystem::path& folder);

/// Writes the run's newest entries past the first half of its bound into the file. Also done when
/// the file moves and when the process exits.
void flush();

/// The current file, if any.
std::optional<std::filesystem::path> logFileURL();

}  // namespace tarvix::Logger
