#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "base/TextBinding.h"

/// The multipart HTTPS upload of the session archive.
namespace tarvix::UploadAPI {

struct Error {
    std::string domain;  ///< "com.tarvix.upload" or "NSURLErrorDomain"
    long code = 0;
    std::string localizedDescription;
    /// The user information's localized-description entry, when it holds a text.
    std::optional<std::string> userInfoLocalizedDescription;
    /// The HTTP status of a refusal; absent when no answer came.
    std::optional<long> statusCode{};
    /// libcurl's code behind a transport failure (CURLE_OK when there was none), which tells
    /// apart failures that share one URL error code.
    int transportCode = 0;
};

/// Success carries the response body.
using Result = tarvix::Result<std::vector<std::uint8_t>, Error>;
using CompletionHandler = std::function<void(Result)>;

/// A running transfer. cancel() may be called from any thread; the completion then follows promptly
/// with NSURLErrorDomain -999.
class UploadTask {
public:
    virtual ~UploadTask() = default;
    virtual void cancel() = 0;
};

/// Returns at once; `completionHandler` is called once, on the transfer's own thread. Nothing
/// happens (and no completion) when fileURL is absent or the endpoint cannot be formed. The body's
/// progress goes to `uploadProgress`, the status text of the window that started the upload.
/// Answers the started task (uploadTask), so its starter can cancel just this upload; null when
/// nothing started.
std::shared_ptr<UploadTask> upload(const std::optional<std::filesystem::path>& fileURL,
                                   tarvix::TextBinding uploadProgress, CompletionHandler completionHandler);

}  // namespace tarvix::UploadAPI
