#include "core/log/Logger.h"

#include <algorithm>
#include <ctime>
#include <iostream>
#include <limits>
#include <mutex>
#include <shared_mutex>

#include "config/BuildConfig.h"
#include "core/log/LoggerTesting.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace Logger {
namespace {

constexpr const char* kFileName = "TarvixDebugOutput.log";
constexpr const char* kCategory = "MyApp";

// Writers share the lock (each line is one O_APPEND write, which the kernel keeps whole);
// moving the file takes it exclusively so no line lands in a file that is being merged away.
std::shared_mutex& fileMutex()
{
    static std::shared_mutex m;
    return m;
}

std::optional<fs::path>& fileLocation()
{
    static std::optional<fs::path> location;
    return location;
}

std::string utcTime()
{
    return platform::formatTime(std::time(nullptr), "%Y-%m-%d %H:%M:%S +0000", platform::TimeZone::utc);
}

/// The first line of every run, written at start-up: where the history may be cut.
constexpr std::string_view kRunStart = "----------------------------Application Started----------------------------";
constexpr std::size_t kTimeLength = 25;

std::string fileName(const fs::path& file) { return "\"" + file.filename().string() + "\""; }

/// Built text on one line: CR and LF as \r and \n.
std::string oneLine(std::string_view message)
{
    std::string out;
    out.reserve(message.size());
    for (const char c : message) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void writeEntry(const char* prefix, const char* unifiedFormat, LogType type, std::string_view text, Text kind)
{
    const std::string escaped = kind == Text::built ? oneLine(text) : std::string();
    const std::string_view message = kind == Text::built ? std::string_view(escaped) : text;
    {
        std::shared_lock lock(fileMutex());
        if (const auto& file = fileLocation()) {
            std::string line;
            line.reserve(message.size() + 40);
            line += prefix;
            line += utcTime();
            line += ": ";
            line += message;
            line += '\n';
            if (auto appended = platform::appendToFile(*file, line); !appended)
                std::cout << "Failed to write to log file: " << appended.message() << std::endl;
        }
    }
    platform::sendToUnifiedLog(type, BuildConfig::kBundleIdentifier, kCategory, unifiedFormat, std::string(message));
}

/// `history` from the start of its first whole run on; empty when it holds none. Its first line
/// is only a line of its own when `startsOnALine`.
std::string_view wholeRuns(std::string_view history, bool startsOnALine)
{
    for (std::size_t line = 0; line < history.size();) {
        const std::size_t end = std::min(history.find('\n', line), history.size());
        const std::string_view text = history.substr(line, end - line);
        if ((line > 0 || startsOnALine) && text.size() == kTimeLength + 2 + kRunStart.size() &&
            text.substr(kTimeLength, 2) == ": " && text.substr(kTimeLength + 2) == kRunStart)
            return history.substr(line);
        line = end + 1;
    }
    return {};
}

/// The whole file, or why not in words for standard output.
tarvix::Result<std::string> readWhole(const fs::path& file)
{
    // The log has no size bound of its own: any size it reached is moved.
    auto contents = platform::readRegularFile(file, std::numeric_limits<std::size_t>::max());
    if (!contents) return tarvix::Failure{"The file " + fileName(file) + " couldn't be opened: " + contents.message()};
    return contents;
}

/// Writes `history`, cut to its newest whole runs, then this run's `contents` as `destination`.
/// Answers the entry that says what was dropped.
tarvix::Result<std::string> trimmedMerge(const fs::path& destination, std::uintmax_t historySize,
                                         const std::string& contents)
{
    // The newest runs that fit beside this run and the empty line between.
    const std::uintmax_t room = kHistoryLimit > contents.size() + 1 ? kHistoryLimit - contents.size() - 1 : 0;
    const auto tail = platform::readRegularFileTail(destination, static_cast<std::size_t>(room));
    if (!tail) return tarvix::Failure{"The file " + fileName(destination) + " couldn't be opened: " + tail.message()};
    const std::string_view kept = wholeRuns(*tail, tail->size() == historySize);
    const std::string merged = kept.empty() ? contents : std::string(kept) + "\n" + contents;
    if (auto saved = platform::writeFileAtomically(destination, merged); !saved)
        return tarvix::Failure{"The file " + fileName(destination) + " couldn't be saved: " + saved.message()};
    return "Log history trimmed to its newest runs: " + std::to_string(historySize - kept.size()) +
           " bytes of older runs removed to keep it under " + std::to_string(kHistoryLimit) + " bytes.";
}

tarvix::Result<std::string> moveLocked(const fs::path& folder)
{
    auto& current = fileLocation();
    const fs::path destination = folder / kFileName;
    if (destination.lexically_normal() == current->lexically_normal()) return std::string();

    const auto contents = readWhole(*current);
    if (!contents) return contents.failure();
    std::error_code ec;
    std::string note;
    const std::uintmax_t historySize = fs::file_size(destination, ec);
    if (!ec && historySize + 1 + contents->size() > kHistoryLimit) {
        auto trimmed = trimmedMerge(destination, historySize, *contents);
        if (!trimmed) return trimmed.failure();
        note = std::move(*trimmed);
    } else if (fs::exists(destination, ec)) {
        // Each run's lines already end in a line feed: one more leaves an empty line between runs.
        if (auto appended = platform::appendToFile(destination, "\n" + *contents); !appended)
            return tarvix::Failure{"The file " + fileName(destination) + " couldn't be written: " + appended.message()};
    } else if (auto saved = platform::writeFileAtomically(destination, *contents); !saved) {
        return tarvix::Failure{"The file " + fileName(destination) + " couldn't be saved: " + saved.message()};
    }
    const fs::path old = *current;
    current = destination;
    if (!fs::remove(old, ec) || ec)
        return tarvix::Failure{"\"" + old.filename().string() + "\" couldn't be removed" +
                               (ec ? ": " + ec.message() : std::string("."))};
    return note;
}

}  // namespace

void setupLogFile(const std::optional<fs::path>& caches)
{
    if (!caches) return;  // no caches folder: the journal still gets every entry
    const fs::path folder = *caches / "Logs";
    if (auto created = platform::createPrivateFolders(folder); !created) {
        std::cout << "Failed to create log directory: " << created.message() << std::endl;
        return;
    }
    // An earlier version left its log readable by everyone. Only the log is ours to close: "Logs"
    // in the caches folder may hold other programs' files.
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(folder / kFileName, ec)))
        if (auto closed = platform::restrictToOwner(folder / kFileName); !closed)
            std::cout << "Failed to close the log file to other users: " << closed.message() << std::endl;
    std::unique_lock lock(fileMutex());
    fileLocation() = folder / kFileName;
}

void logInfo(std::string_view message, Text text) { writeEntry("INFO: ", "INFO: %@", LogType::Info, message, text); }
void logError(std::string_view message, Text text)
{
    writeEntry("ERROR: ", "ERROR: %@", LogType::Error, message, text);
}
void logWarning(std::string_view message, Text text)
{
    writeEntry("WARNING: ", "WARNING: %@", LogType::Info, message, text);
}
void log(std::string_view message, LogType type, Text text) { writeEntry("", "%@", type, message, text); }

void changeLogFileLocation(const fs::path& folder)
{
    std::string note;
    {
        std::unique_lock lock(fileMutex());
        if (!fileLocation()) return;
        auto moved = moveLocked(folder);
        if (!moved) {
            std::cout << "Failed to change log file location: " << moved.message() << std::endl;
            return;
        }
        note = std::move(*moved);
    }
    if (!note.empty()) logInfo(note);
}

std::optional<fs::path> logFileURL()
{
    std::shared_lock lock(fileMutex());
    return fileLocation();
}

void forgetLogFileForTesting()
{
    std::unique_lock lock(fileMutex());
    fileLocation().reset();
}

}  // namespace Logger
