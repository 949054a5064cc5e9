#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/base/Guarded.h"
#include "core/base/TextBinding.h"

/// The multipart HTTPS upload of the session archive.
namespace UploadAPI {

struct Error {
    std::string domain;  ///< "com.tarvix.upload" or "NSURLErrorDomain"
    long code = 0;
    std::string localizedDescription;
    /// The user information's localized-description entry, when it holds a text.
    std::optional<std::string> userInfoLocalizedDescription;
};

/// Success carries the response body.
using Result = std::variant<std::vector<std::uint8_t>, Error>;
using CompletionHandler = std::function<void(Result)>;

/// A running transfer. cancel() may be called from any thread; the completion then follows promptly
/// with NSURLErrorDomain -999.
class UploadTask {
public:
    virtual ~UploadTask() = default;
    virtual void cancel() = 0;
};

extern tarvix::Guarded<tarvix::TextBinding> uploadProgress;
extern tarvix::Guarded<std::shared_ptr<UploadTask>> uploadTask;

/// Returns at once; `completionHandler` is called once, on the transfer's own thread. Nothing
/// happens (and no completion) when fileURL is absent or the endpoint cannot be formed.
/// Answers the started task, also stored in `uploadTask`, so its starter can cancel just this
/// upload; null when nothing started.
std::shared_ptr<UploadTask> upload(const std::optional<std::filesystem::path>& fileURL,
                                   CompletionHandler completionHandler);

}  // namespace UploadAPI
