#include "core/upload/UploadAPI.h"

#include "base/Uuid.h"
#include "config/BuildConfig.h"
#include "core/upload/Curl.h"
#include "core/upload/TransferSession.h"

namespace tarvix::UploadAPI {

namespace {

constexpr const char* kLogPath = "/cr-apip-7.0.0/mac/log";

struct UrlCleanup {
    void operator()(CURLU* url) const { curl()->url_cleanup(url); }
};

/// "https://" + the build's log server host + the log path, when that parses as a URL with a host.
std::optional<std::string> endpoint()
{
    const std::string text = std::string("https://") + BuildConfig::kLogServerHost + kLogPath;
    if (!curl()) return std::nullopt;
    std::unique_ptr<CURLU, UrlCleanup> url(curl()->url());
    if (!url || curl()->url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;
    char* host = nullptr;
    if (curl()->url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) return std::nullopt;
    const bool hasHost = host && host[0] != '\0';
    curl()->free(host);
    return hasHost ? std::optional(text) : std::nullopt;
}

}  // namespace

std::shared_ptr<UploadTask> upload(const std::optional<std::filesystem::path>& fileURL,
                                   tarvix::TextBinding uploadProgress, CompletionHandler completionHandler)
{
    if (!fileURL) return nullptr;
    const auto url = endpoint();
    if (!url) return nullptr;
    // A fresh boundary per upload, in the upper-case form of a UUID's text.
    const std::string boundary = tarvix::makeUuid();
    return TransferSession::shared().start(*url, *fileURL, boundary, std::move(uploadProgress),
                                           std::move(completionHandler));
}

}  // namespace tarvix::UploadAPI
