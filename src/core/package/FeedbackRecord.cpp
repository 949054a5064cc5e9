#include "core/package/FeedbackRecord.h"

#include <fcntl.h>

#include <cerrno>
#include <nlohmann/json.hpp>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "core/package/EmailPattern.h"
#include "core/workspace/MachineIdentifier.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

constexpr const char* kRecordName = "UserEmailFeedback.json";

}  // namespace

tarvix::Status CreateFile(const std::optional<fs::path>& fileURL, const std::string& fileContent)
{
    if (!fileURL || fileContent.empty()) return tarvix::Failure{"No file or no content.", EINVAL};
    if (!platform::FileDescriptor(
            ::open(fileURL->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600))) {
        const int error = errno;
        Logger::logError("Failed to create the file.");
        return tarvix::systemFailure(error, tarvix::pathText(*fileURL));
    }
    // Written whole or not at all, and for the user alone: it holds their address and words.
    auto written = platform::writeFileAtomically(*fileURL, fileContent);
    if (!written)
        Logger::logWarning("Error writing to file: " + written.message());
    else
        Logger::logInfo("File created and content written successfully.");
    return written;
}

tarvix::Status CreateUserDetailContent(const platform::Folders& folders, const tarvix::Session& session,
                                       const std::string& email, const std::string& feedback)
{
    nlohmann::ordered_json record;
    record["machineid"] = UtilityFunctions::getMachineHash(folders);
    record["email"] = isValidEmail(email) ? email : std::string();
    record["problemdesc"] = feedback;
    // Replacing malformed UTF-8 keeps dump() from throwing; the window only hands over valid text.
    const std::string text = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);

    std::optional<fs::path> location;
    if (const auto& output = session.output) {
        const fs::path folder = output->has_filename() ? *output : output->parent_path();
        location = folder.parent_path() / kRecordName;
    }
    return CreateFile(location, text);
}

}  // namespace tarvix
