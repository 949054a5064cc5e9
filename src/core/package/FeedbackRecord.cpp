#include "core/package/FeedbackRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <system_error>

#include "core/log/Logger.h"
#include "core/workspace/UtilityFunctions.h"

namespace fs = std::filesystem;

namespace UtilityFunctions {
namespace {

constexpr const char* kRecordName = "UserEmailFeedback.json";

/// Writes into a fresh file beside `path` and renames it over `path`, so a reader sees the old
/// record or the new one, never half of it.
std::error_code writeAtomically(const fs::path& path, const std::string& content)
{
    std::string partial = path.string() + ".XXXXXX";
    const int fd = ::mkostemp(partial.data(), O_CLOEXEC);
    if (fd < 0) return {errno, std::generic_category()};
    std::error_code error;
    for (std::size_t done = 0; done < content.size() && !error;) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno != EINTR)
            error = {errno, std::generic_category()};
        else if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    // mkostemp makes the file private; the record gets the mode of a normally created file.
    if (!error && ::fchmod(fd, 0644) != 0) error = {errno, std::generic_category()};
    if (!error && ::fsync(fd) != 0) error = {errno, std::generic_category()};
    if (::close(fd) != 0 && !error) error = {errno, std::generic_category()};
    if (!error) fs::rename(partial, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
    }
    return error;
}

}  // namespace

void CreateFile(const std::optional<fs::path>& fileURL, const std::string& fileContent)
{
    if (!fileURL || fileContent.empty()) return;
    const int fd = ::open(fileURL->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Logger::logError("Failed to create the file.");
        return;
    }
    ::close(fd);
    if (const std::error_code error = writeAtomically(*fileURL, fileContent))
        Logger::logWarning("Error writing to file: " + error.message());
    else
        Logger::logInfo("File created and content written successfully.");
}

void CreateUserDetailContent(const std::string& email, const std::string& feedback)
{
    nlohmann::ordered_json record;
    record["machineid"] = getMachineHash();
    record["email"] = isValidEmail(email) ? email : std::string();
    record["problemdesc"] = feedback;
    // Replacing malformed UTF-8 keeps dump() from throwing; the window only hands over valid text.
    const std::string text = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);

    std::optional<fs::path> location;
    if (const auto output = tempOutputURL.get()) {
        const fs::path folder = output->has_filename() ? *output : output->parent_path();
        location = folder.parent_path() / kRecordName;
    }
    CreateFile(location, text);
}

}  // namespace UtilityFunctions
