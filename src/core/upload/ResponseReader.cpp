#include "core/upload/ResponseReader.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace tarvix::UploadAPI {
namespace {

constexpr std::size_t kResponseLimit = 16 * 1024 * 1024;

bool startsWithNoCase(const char* text, std::size_t length, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    return length >= n && strncasecmp(text, prefix, n) == 0;
}

}  // namespace

std::size_t ResponseReader::header(char* text, std::size_t size, std::size_t count, void* data)
{
    auto* self = static_cast<ResponseReader*>(data);
    const std::size_t length = size * count;
    if (startsWithNoCase(text, length, "HTTP/")) {
        // A new answer (after an interim one) starts with nothing known about its body.
        self->m_hasLength = false;
        self->m_chunked = false;
    } else if (startsWithNoCase(text, length, "content-length:")) {
        self->m_hasLength = true;
    } else if (startsWithNoCase(text, length, "transfer-encoding:")) {
        std::string value(text, length);
        std::transform(value.begin(), value.end(), value.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        self->m_chunked = value.find("chunked") != std::string::npos;
    }
    return length;
}

std::size_t ResponseReader::body(char* bytes, std::size_t size, std::size_t count, void* data)
{
    auto* self = static_cast<ResponseReader*>(data);
    const std::size_t length = size * count;
    if (self->m_bytes.size() + length > kResponseLimit)
        return 0;  // a log server's answer is small; anything larger is not one
    self->m_bytes.insert(self->m_bytes.end(), bytes, bytes + length);
    return length;
}

std::optional<std::vector<std::uint8_t>> ResponseReader::takeBody()
{
    if (!m_hasLength && !m_chunked && m_bytes.empty()) return std::nullopt;
    return std::move(m_bytes);
}

}  // namespace tarvix::UploadAPI
