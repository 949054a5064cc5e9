#include "core/upload/ResponseHandler.h"

#include <unicode/utf8.h>

#include <cmath>
#include <string>

#include "core/log/Logger.h"
#include "core/upload/UrlErrors.h"

namespace tarvix::UploadAPI {
namespace {

constexpr std::int32_t kLoggedResponseLimit = 4096;

/// The body as text when it is valid UTF-8, else the empty text.
std::string utf8Text(const std::vector<std::uint8_t>& body)
{
    const auto length = static_cast<std::int32_t>(body.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(body.data(), i, length, c);
        if (c < 0) return {};
    }
    return std::string(body.begin(), body.end());
}

/// The body's text for the log: beyond the limit cut after a whole character and followed by
/// the body's full size, so a large answer cannot flood the log.
std::string loggedText(const std::vector<std::uint8_t>& body)
{
    std::string text = utf8Text(body);
    if (text.size() <= static_cast<std::size_t>(kLoggedResponseLimit)) return text;
    std::int32_t cut = kLoggedResponseLimit;
    U8_SET_CP_START_UNSAFE(reinterpret_cast<const std::uint8_t*>(text.data()), cut);  // valid UTF-8 here
    text.resize(static_cast<std::size_t>(cut));
    return text + " … (" + std::to_string(body.size()) + " bytes)";
}

}  // namespace

Result handleResponse(TransferOutcome outcome)
{
    if (outcome.statusCode) {
        Logger::logInfo("Status Code: " + std::to_string(*outcome.statusCode));
        if (outcome.body) {
            Logger::logInfo("Response Data: " + loggedText(*outcome.body));
            switch (*outcome.statusCode) {
            case 200: return std::move(*outcome.body);
            case 405:
            case 413:
            case 500: {
                Error refusal = uploadError(1);
                refusal.statusCode = outcome.statusCode;
                return refusal;
            }
            default: break;
            }
        }
    }
    if (outcome.error) {
        Logger::logInfo(outcome.error->localizedDescription);
        return std::move(*outcome.error);
    }
    Logger::logInfo("Unknown error occurred.");
    Error unknown = uploadError(0);
    unknown.statusCode = outcome.statusCode;
    return unknown;
}

void UploadTaskDelegate::didSendBodyData(std::int64_t, std::int64_t totalBytesSent,
                                         std::int64_t totalBytesExpectedToSend)
{
    if (totalBytesExpectedToSend <= 0) return;
    const double percentage =
        static_cast<double>(totalBytesSent) / static_cast<double>(totalBytesExpectedToSend) * 100.0;
    const tarvix::TextBinding& binding = uploadProgress;
    if (percentage >= 1.0 && percentage < 100.0 && binding) {
        binding->setText("Uploading " + std::to_string(static_cast<int>(percentage)) + "%");
        return;
    }
    Logger::logInfo(binding ? binding->text() : std::string());
}

}  // namespace tarvix::UploadAPI
