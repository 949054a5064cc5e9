#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarvix::UploadAPI {

/// What arrives of the server's answer: its body bytes, bounded, and whether its framing
/// announces a body at all. Fed by libcurl's header and write callbacks.
class ResponseReader {
public:
    /// CURLOPT_HEADERFUNCTION and CURLOPT_WRITEFUNCTION; `data` is the reader.
    static std::size_t header(char* text, std::size_t size, std::size_t count, void* data);
    static std::size_t body(char* bytes, std::size_t size, std::size_t count, void* data);

    /// The body when the answer has one: its framing announces one (a length, even 0, or
    /// chunks) or bytes arrived; a bare close-delimited answer with no bytes has none.
    std::optional<std::vector<std::uint8_t>> takeBody();

private:
    bool m_hasLength = false;
    bool m_chunked = false;
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace tarvix::UploadAPI
