#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "base/Status.h"
#include "core/upload/MultipartFraming.h"
#include "core/upload/UploadAPI.h"

namespace tarvix::UploadAPI {

/// The body of one upload as the transfer reads it: the framing's head, every byte of the
/// archive, its tail. The archive is read piece by piece, never held whole in memory.
class FileBodyStream {
public:
    /// Opens the archive; a failure tells why as reading the file would report it.
    static tarvix::Result<FileBodyStream, Error> open(const std::filesystem::path& file, MultipartFraming framing);
    FileBodyStream(FileBodyStream&& other) noexcept;
    FileBodyStream& operator=(FileBodyStream&&) = delete;
    FileBodyStream(const FileBodyStream&) = delete;
    ~FileBodyStream();

    std::uint64_t size() const { return m_framing.bodySize(m_fileSize); }
    /// Copies up to `capacity` bytes from the current position; 0 at the end. Fails when the
    /// file can no longer be read (or has shrunk).
    tarvix::Result<std::size_t> read(char* buffer, std::size_t capacity);
    /// Moves to an absolute position (the transfer rewinds to resend); fails past the end.
    tarvix::Status seek(std::uint64_t position);

private:
    FileBodyStream(int fd, std::uint64_t fileSize, MultipartFraming framing);

    int m_fd;
    std::uint64_t m_fileSize;
    MultipartFraming m_framing;
    std::uint64_t m_position = 0;
};

}  // namespace tarvix::UploadAPI
