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
                                       const std::string& email, const std::string& feedback, bool keyed)
{
    nlohmann::ordered_json record;
    if (!keyed) {
        record["machineid"] = UtilityFunctions::getMachineHash(folders);
    } else if (!session.system) {
        record["machineid"] = "";
    } else {
        auto machine = UtilityFunctions::getKeyedMachineHash(folders, *session.system);
        if (!machine) Logger::logError("The machine identifier could not be made: " + machine.message());
        record["machineid"] = machine.value_or("");
    }
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

std::string recordWithHiddenDescription(std::string_view text, const std::function<std::string(std::string_view)>& hide)
{
    auto record = nlohmann::ordered_json::parse(text, nullptr, false);
    if (record.is_discarded() || !record.is_object() || !record.contains("problemdesc") ||
        !record["problemdesc"].is_string())
        return std::string(text);
    record["problemdesc"] = hide(record["problemdesc"].get<std::string>());
    return record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace tarvix
