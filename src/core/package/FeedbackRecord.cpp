#include "core/package/FeedbackRecord.h"

#include <fcntl.h>

#include <cerrno>
#include <nlohmann/json.hpp>

#include "core/log/Logger.h"
#include "core/package/EmailPattern.h"
#include "core/workspace/MachineIdentifier.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::UtilityFunctions {
namespace {

constexpr const char* kRecordName = "UserEmailFeedback.json";

}  // namespace

void CreateFile(const std::optional<fs::path>& fileURL, const std::string& fileContent)
{
    if (!fileURL || fileContent.empty()) return;
    if (!platform::FileDescriptor(
            ::open(fileURL->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600))) {
        Logger::logError("Failed to create the file.");
        return;
    }
    // Written whole or not at all, and for the user alone: it holds their address and words.
    if (const auto written = platform::writeFileAtomically(*fileURL, fileContent); !written)
        Logger::logWarning("Error writing to file: " + written.message());
    else
        Logger::logInfo("File created and content written successfully.");
}

void CreateUserDetailContent(const platform::Folders& folders, const tarvix::Session& session, const std::string& email,
                             const std::string& feedback)
{
    nlohmann::ordered_json record;
    record["machineid"] = getMachineHash(folders);
    record["email"] = isValidEmail(email) ? email : std::string();
    record["problemdesc"] = feedback;
    // Replacing malformed UTF-8 keeps dump() from throwing; the window only hands over valid text.
    const std::string text = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);

    std::optional<fs::path> location;
    if (const auto& output = session.output) {
        const fs::path folder = output->has_filename() ? *output : output->parent_path();
        location = folder.parent_path() / kRecordName;
    }
    CreateFile(location, text);
}

}  // namespace tarvix::UtilityFunctions
