#include "core/upload/MultipartBody.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/upload/UrlErrors.h"

namespace UploadAPI {

std::string MultipartBody::head(std::string_view boundary, std::string_view fileName)
{
    std::string text = "\r\n--";
    text += boundary;
    text += "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"";
    text += fileName;
    text += "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    return text;
}

std::string MultipartBody::tail(std::string_view boundary)
{
    std::string text = "\r\n--";
    text += boundary;
    text += "--\r\n";
    return text;
}

std::optional<MultipartBody> MultipartBody::open(const std::filesystem::path& file, std::string_view boundary,
                                                 Error& error)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int code = fd < 0 ? errno : (S_ISDIR(status.st_mode) ? EISDIR : errno);
        if (fd >= 0) ::close(fd);
        error = fileReadError(file, code);
        return std::nullopt;
    }
    const std::string name = file.filename().string();
    return MultipartBody(fd, static_cast<std::uint64_t>(status.st_size), head(boundary, name), tail(boundary));
}

MultipartBody::MultipartBody(int fd, std::uint64_t fileSize, std::string head, std::string tail)
    : m_fd(fd), m_fileSize(fileSize), m_head(std::move(head)), m_tail(std::move(tail))
{
}

MultipartBody::MultipartBody(MultipartBody&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_fileSize(other.m_fileSize), m_head(std::move(other.m_head)),
      m_tail(std::move(other.m_tail)), m_position(other.m_position)
{
}

MultipartBody::~MultipartBody()
{
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<std::size_t> MultipartBody::read(char* buffer, std::size_t capacity)
{
    std::size_t done = 0;
    while (done < capacity && m_position < size()) {
        const std::uint64_t fileEnd = m_head.size() + m_fileSize;
        const std::size_t room = capacity - done;
        if (m_position < m_head.size()) {
            const std::size_t n = std::min<std::uint64_t>(room, m_head.size() - m_position);
            std::memcpy(buffer + done, m_head.data() + m_position, n);
            done += n;
            m_position += n;
        } else if (m_position < fileEnd) {
            const std::size_t want = std::min<std::uint64_t>(room, fileEnd - m_position);
            const ssize_t n = ::pread(m_fd, buffer + done, want, static_cast<off_t>(m_position - m_head.size()));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::nullopt;  // unreadable, or shorter than when it was opened
            done += static_cast<std::size_t>(n);
            m_position += static_cast<std::uint64_t>(n);
        } else {
            const std::size_t offset = m_position - fileEnd;
            const std::size_t n = std::min<std::size_t>(room, m_tail.size() - offset);
            std::memcpy(buffer + done, m_tail.data() + offset, n);
            done += n;
            m_position += n;
        }
    }
    return done;
}

bool MultipartBody::seek(std::uint64_t position)
{
    if (position > size()) return false;
    m_position = position;
    return true;
}

}  // namespace UploadAPI
