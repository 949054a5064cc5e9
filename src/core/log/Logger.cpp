#include "core/log/Logger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <shared_mutex>
#include <sstream>

#include "config/BuildConfig.h"
#include "platform/Platform.h"

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
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &tm);
    return text;
}

/// Appends the bytes in one write; creates the file when missing. Answers the error text on failure.
std::optional<std::string> append(const std::string& text, const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return std::string(std::strerror(errno));
    std::optional<std::string> error;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return error;
}

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
            if (auto error = append(line, *file)) std::cout << "Failed to write to log file: " << *error << std::endl;
        }
    }
    platform::sendToUnifiedLog(type, BuildConfig::kBundleIdentifier, kCategory, unifiedFormat, std::string(message));
}

std::optional<std::string> readWhole(const fs::path& file, std::string& contents)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return "The file \"" + file.filename().string() + "\" couldn't be opened: " + std::strerror(errno);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return "The file \"" + file.filename().string() + "\" couldn't be read.";
    contents = buffer.str();
    return std::nullopt;
}

std::optional<std::string> writeAtomically(const fs::path& file, const std::string& contents)
{
    fs::path temporary = file;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return "The file \"" + file.filename().string() + "\" couldn't be saved: " + std::strerror(errno);
        out << contents;
        out.flush();
        if (!out) return "The file \"" + file.filename().string() + "\" couldn't be saved.";
    }
    std::error_code ec;
    fs::rename(temporary, file, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return "The file \"" + file.filename().string() + "\" couldn't be saved.";
    }
    return std::nullopt;
}

std::optional<std::string> moveLocked(const fs::path& folder)
{
    auto& current = fileLocation();
    const fs::path destination = folder / kFileName;
    if (destination.lexically_normal() == current->lexically_normal()) return std::nullopt;

    std::error_code ec;
    if (fs::exists(destination, ec)) {
        std::ofstream out(destination, std::ios::binary | std::ios::app);
        if (!out) return "The file \"" + destination.filename().string() + "\" couldn't be opened for writing.";
        std::string contents;
        if (auto error = readWhole(*current, contents)) return error;
        out << '\n' << contents;
        out.flush();
        if (!out) return "The file \"" + destination.filename().string() + "\" couldn't be written.";
    } else {
        std::string contents;
        if (auto error = readWhole(*current, contents)) return error;
        if (auto error = writeAtomically(destination, contents)) return error;
    }
    const fs::path old = *current;
    current = destination;
    if (!fs::remove(old, ec) || ec)
        return "\"" + old.filename().string() + "\" couldn't be removed" +
               (ec ? ": " + ec.message() : std::string("."));
    return std::nullopt;
}

}  // namespace

void setupLogFile()
{
    const auto& caches = platform::current().folders.caches;
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
    if (auto error = moveLocked(folder)) std::cout << "Failed to change log file location: " << *error << std::endl;
}

std::optional<fs::path> logFileURL()
{
    std::shared_lock lock(fileMutex());
    return fileLocation();
}

void resetForTesting()
{
    std::unique_lock lock(fileMutex());
    fileLocation().reset();
}

}  // namespace Logger
