#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvix::UploadAPI {

/// The multipart/form-data framing around the one file part of an upload; no I/O.
struct MultipartFraming {
    std::string head;  ///< CR LF, the delimiter, the part's two headers and the blank line
    std::string tail;  ///< CR LF, the closing delimiter, CR LF

    static MultipartFraming make(std::string_view boundary, std::string_view fileName);
    /// The request's "Content-Type" value.
    static std::string contentType(std::string_view boundary);

    /// File size + UTF-8 length of the name + 186.
    std::uint64_t bodySize(std::uint64_t fileSize) const { return head.size() + fileSize + tail.size(); }
};

}  // namespace tarvix::UploadAPI
