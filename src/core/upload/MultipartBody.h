#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/upload/UploadAPI.h"

namespace UploadAPI {

/// The multipart/form-data body of one upload: a head, every byte of the archive, a tail.
/// The archive is read piece by piece as the transfer asks, never held whole in memory.
class MultipartBody {
public:
    /// Opens the archive. On failure `error` tells why, as reading the file would report it.
    static std::optional<MultipartBody> open(const std::filesystem::path& file, std::string_view boundary,
                                             Error& error);
    MultipartBody(MultipartBody&& other) noexcept;
    MultipartBody& operator=(MultipartBody&&) = delete;
    MultipartBody(const MultipartBody&) = delete;
    ~MultipartBody();

    static std::string head(std::string_view boundary, std::string_view fileName);
    static std::string tail(std::string_view boundary);

    /// File size + UTF-8 length of the name + 186.
    std::uint64_t size() const { return m_head.size() + m_fileSize + m_tail.size(); }
    /// Copies up to `capacity` bytes from the current position; 0 at the end, nothing when the
    /// file can no longer be read (or has shrunk).
    std::optional<std::size_t> read(char* buffer, std::size_t capacity);
    /// Moves to an absolute position (the transfer rewinds to resend).
    bool seek(std::uint64_t position);

private:
    MultipartBody(int fd, std::uint64_t fileSize, std::string head, std::string tail);

    int m_fd;
    std::uint64_t m_fileSize;
    std::string m_head;
    std::string m_tail;
    std::uint64_t m_position = 0;
};

}  // namespace UploadAPI
