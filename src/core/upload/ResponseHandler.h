#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/upload/UploadAPI.h"

namespace tarvix::UploadAPI {

/// What one finished transfer produced.
struct TransferOutcome {
    std::optional<long> statusCode;                 ///< set when an HTTP answer arrived
    std::optional<std::vector<std::uint8_t>> body;  ///< set when that answer carried a body (maybe empty)
    std::optional<Error> error;                     ///< the transport's failure, if any
};

/// Turns an outcome into the upload's result, writing the status, body and error lines; the
/// body line keeps 4 KiB of the text and then names the whole size.
/// Only 200 with a body is success; 405, 413 and 500 with a body are refusals (code 1).
Result handleResponse(TransferOutcome outcome);

/// Body progress of one task. Writes "Uploading N%" through `uploadProgress` (its window's status
/// text) while N is 1 to 99; otherwise logs that text. A zero or unknown total writes nothing.
struct UploadTaskDelegate {
    void didSendBodyData(std::int64_t bytesSent, std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend);

    tarvix::TextBinding uploadProgress;
};

}  // namespace tarvix::UploadAPI
