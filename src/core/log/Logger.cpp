#include "core/log/Logger.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <iostream>
#include <limits>
#include <mutex>
#include <shared_mutex>

#include "config/BuildConfig.h"
#include "core/log/LoggerTesting.h"
#include "platform/Clock.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::Logger {
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

/// The run's bound and journal, set at start-up; read under fileMutex().
struct RunOutputs {
    std::uintmax_t limit = kHistoryLimit;
    std::shared_ptr<platform::Journal> journal = platform::systemJournal();
};

RunOutputs& runOutputs()
{
    static RunOutputs outputs;
    return outputs;
}

/// The bytes this run has given the file (or would have, past its bound).
std::atomic<std::uintmax_t> runBytes{0};

/// Room kept for the line that counts the entries between a run's head and its tail.
constexpr std::uintmax_t kNoteRoom = 200;

/// A run's newest whole lines once its head is full (the first half of its bound), kept for the
/// file's end: written when the file is next flushed or moved, so the entries support needs most
/// (how the session ended) are there. Every entry went to the journal too, so a crash loses
/// nothing the journal lacks.
struct RunTail {
    std::deque<std::string> lines;
    std::uintmax_t bytes = 0;
    /// Entries past the head that are not among `lines`: the journal alone has them.
    std::uint64_t journalOnly = 0;
    /// What the file's end holds of this run's tail, written there last.
    std::string written;
};

/// Writers add to it under a shared fileMutex() and this one; a flush holds fileMutex() alone.
std::mutex tailMutex;

RunTail& runTail()
{
    static RunTail tail;
    return tail;
}

void keepInTail(std::string line, std::uintmax_t limit)
{
    const std::uintmax_t room = limit - limit / 2 > kNoteRoom ? limit - limit / 2 - kNoteRoom : 0;
    std::lock_guard lock(tailMutex);
    auto& tail = runTail();
    // Longer than the whole tail: it would push out every line before it and then itself.
    if (line.size() > room) {
        ++tail.journalOnly;
        return;
    }
    tail.bytes += line.size();
    tail.lines.push_back(std::move(line));
    while (tail.bytes > room) {
        tail.bytes -= tail.lines.front().size();
        tail.lines.pop_front();
        ++tail.journalOnly;
    }
}

std::string utcTime()
{
    return platform::formatTime(std::time(nullptr), "%Y-%m-%d %H:%M:%S +0000", platform::TimeZone::utc);
}

/// The first line of every run, written at start-up: where the history may be cut.
constexpr std::string_view kRunStart = "----------------------------Application Started----------------------------";
constexpr std::size_t kTimeLength = 25;

std::string fileName(const fs::path& file) { return "\"" + file.filename().string() + "\""; }

/// The length of the valid UTF-8 sequence at the start of `text`, 0 when it is not one.
std::size_t utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xc2 && lead <= 0xdf ? 2
                               : lead >= 0xe0 && lead <= 0xef ? 3
                               : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                              : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xc0) != 0x80) return 0;
    // Overlong forms, UTF-16 surrogates and code points above U+10FFFF.
    if ((lead == 0xe0 && byte(1) < 0xa0) || (lead == 0xed && byte(1) > 0x9f) || (lead == 0xf0 && byte(1) < 0x90) ||
        (lead == 0xf4 && byte(1) > 0x8f))
        return 0;
    return length;
}

/// The code point of the UTF-8 sequence of `length` bytes at the start of `text`.
char32_t codePoint(std::string_view text, std::size_t length)
{
    static constexpr unsigned char kLeadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    char32_t point = static_cast<unsigned char>(text[0]) & kLeadBits[length];
    for (std::size_t i = 1; i < length; ++i) point = point << 6 | (static_cast<unsigned char>(text[i]) & 0x3f);
    return point;
}

/// Shown as nothing, yet they reorder what follows (bidirectional embeddings, overrides and
/// isolates), break the line (line and paragraph separators) or hide in it (byte order mark).
bool invisible(char32_t point)
{
    return (point >= 0x202a && point <= 0x202e) || (point >= 0x2066 && point <= 0x2069) || point == 0x2028 ||
           point == 0x2029 || point == 0xfeff;
}

/// Built text on one line and inert on a terminal: CR, LF and tab as \r, \n and \t, every other
/// control character (C0, DEL, C1) as \xNN or \u00NN, an invisible one as \uNNNN, and a byte
/// that is not UTF-8 as \xNN.
std::string oneLine(std::string_view message)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(message.size());
    while (!message.empty()) {
        const std::size_t length = utf8Length(message);
        const auto lead = static_cast<unsigned char>(message[0]);
        const char32_t point = length > 0 ? codePoint(message, length) : 0;
        if ((point >= 0x80 && point < 0xa0) || invisible(point)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(point >> shift) & 0xf];
        } else if (length > 1 || (length == 1 && lead >= 0x20 && lead != 0x7f)) {
            out.append(message.substr(0, length));
        } else if (lead == '\n') {
            out += "\\n";
        } else if (lead == '\r') {
            out += "\\r";
        } else if (lead == '\t') {
            out += "\\t";
        } else {
            out += "\\x";
            out += kHex[lead >> 4];
            out += kHex[lead & 0xf];
        }
        message.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return out;
}

void writeEntry(const char* prefix, const char* unifiedFormat, LogType type, std::string_view text, Text kind)
{
    const std::string escaped = kind == Text::built ? oneLine(text) : std::string();
    const std::string_view message = kind == Text::built ? std::string_view(escaped) : text;
    std::shared_ptr<platform::Journal> journal;
    {
        std::shared_lock lock(fileMutex());
        journal = runOutputs().journal;
        if (const auto& file = fileLocation()) {
            std::string line;
            line.reserve(message.size() + 40);
            line += prefix;
            line += utcTime();
            line += ": ";
            line += message;
            line += '\n';
            const std::uintmax_t limit = runOutputs().limit;
            // Once one entry passes the head, so do all later ones: the head stays in order.
            if (runBytes.fetch_add(line.size()) + line.size() > limit / 2)
                keepInTail(std::move(line), limit);
            else if (auto appended = platform::appendToFile(*file, line); !appended)
                std::cout << "Failed to write to log file: " << appended.message() << std::endl;
        }
    }
    journal->send(type, BuildConfig::kBundleIdentifier, kCategory, unifiedFormat, std::string(message));
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

/// Writes the run's tail at the file's end, over the one written there before. Under fileMutex().
void flushLocked()
{
    std::lock_guard lock(tailMutex);
    auto& tail = runTail();
    const auto& file = fileLocation();
    if (!file || (tail.lines.empty() && tail.journalOnly == 0)) return;
    std::string text;
    if (tail.journalOnly > 0)
        text = "INFO: " + utcTime() + ": This run's log passed " + std::to_string(runOutputs().limit / 2) +
               " bytes: " + std::to_string(tail.journalOnly) +
               " entries went to the system journal only. Its newest entries follow.\n";
    for (const std::string& line : tail.lines) text += line;
    if (auto replaced = platform::replaceFileEnd(*file, tail.written, text); !replaced)
        std::cout << "Failed to write to log file: " << replaced.message() << std::endl;
    else
        tail.written = std::move(text);
}

tarvix::Result<std::string> moveLocked(const fs::path& folder)
{
    auto& current = fileLocation();
    const fs::path destination = folder / kFileName;
    if (destination.lexically_normal() == current->lexically_normal()) return std::string();
    // The tail moves with the file, and stays at its end.
    flushLocked();

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
                               (ec ? ": " + tarvix::errorText(ec) : std::string("."))};
    return note;
}

}  // namespace

void setupLogFile(const std::optional<fs::path>& caches, LogOptions options)
{
    // Before the handler: the state it reaches is destroyed after it runs.
    static std::once_flag atExit;
    std::call_once(atExit, [] {
        (void)fileMutex();
        (void)fileLocation();
        (void)runOutputs();
        (void)runTail();
        std::atexit(flush);
    });
    {
        std::unique_lock lock(fileMutex());
        flushLocked();
        runOutputs() = {options.runLimit, options.journal ? options.journal : platform::systemJournal()};
        runBytes = 0;
        runTail() = {};
    }
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

void flush()
{
    std::unique_lock lock(fileMutex());
    flushLocked();
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
    runOutputs() = {};
    runBytes = 0;
    std::lock_guard tailLock(tailMutex);
    runTail() = {};
}

}  // namespace tarvix::Logger
