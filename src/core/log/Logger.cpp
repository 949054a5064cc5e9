#include "core/log/Logger.h"

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

std::string fileName(const fs::path& file) { return "\"" + file.filename().string() + "\""; }

void writeEntry(const char* prefix, const char* unifiedFormat, LogType type, std::string_view message)
{
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

/// The whole file, or why not in words for standard output.
tarvix::Result<std::string> readWhole(const fs::path& file)
{
    // The log has no size bound of its own: any size it reached is moved.
    auto contents = platform::readRegularFile(file, std::numeric_limits<std::size_t>::max());
    if (!contents) return tarvix::Failure{"The file " + fileName(file) + " couldn't be opened: " + contents.message()};
    return contents;
}

tarvix::Status moveLocked(const fs::path& folder)
{
    auto& current = fileLocation();
    const fs::path destination = folder / kFileName;
    if (destination.lexically_normal() == current->lexically_normal()) return {};

    const auto contents = readWhole(*current);
    if (!contents) return contents.status();
    std::error_code ec;
    if (fs::exists(destination, ec)) {
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
    return {};
}

}  // namespace

void setupLogFile(const std::optional<fs::path>& caches)
{
    if (!caches) return;  // no caches folder: the journal still gets every entry
    const fs::path folder = *caches / "Logs";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::cout << "Failed to create log directory: " << ec.message() << std::endl;
        return;
    }
    std::unique_lock lock(fileMutex());
    fileLocation() = folder / kFileName;
}

void logInfo(std::string_view message) { writeEntry("INFO: ", "INFO: %@", LogType::Info, message); }
void logError(std::string_view message) { writeEntry("ERROR: ", "ERROR: %@", LogType::Error, message); }
void logWarning(std::string_view message) { writeEntry("WARNING: ", "WARNING: %@", LogType::Info, message); }
void log(std::string_view message, LogType type) { writeEntry("", "%@", type, message); }

void changeLogFileLocation(const fs::path& folder)
{
    std::unique_lock lock(fileMutex());
    if (!fileLocation()) return;
    if (auto moved = moveLocked(folder); !moved)
        std::cout << "Failed to change log file location: " << moved.message() << std::endl;
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
