#include "core/upload/FileBodyStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/upload/UrlErrors.h"

namespace tarvix::UploadAPI {

tarvix::Result<FileBodyStream, Error> FileBodyStream::open(const std::filesystem::path& file, MultipartFraming framing)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int code = fd < 0 ? errno : (S_ISDIR(status.st_mode) ? EISDIR : errno);
        if (fd >= 0) ::close(fd);
        return fileReadError(file, code);
    }
    return FileBodyStream(fd, static_cast<std::uint64_t>(status.st_size), std::move(framing));
}

FileBodyStream::FileBodyStream(int fd, std::uint64_t fileSize, MultipartFraming framing)
    : m_fd(fd), m_fileSize(fileSize), m_framing(std::move(framing))
{
}

FileBodyStream::FileBodyStream(FileBodyStream&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_fileSize(other.m_fileSize), m_framing(std::move(other.m_framing)),
      m_position(other.m_position)
{
}

FileBodyStream::~FileBodyStream()
{
    if (m_fd >= 0) ::close(m_fd);
}

tarvix::Result<std::size_t> FileBodyStream::read(char* buffer, std::size_t capacity)
{
    const std::string& head = m_framing.head;
    const std::string& tail = m_framing.tail;
    const std::uint64_t fileEnd = head.size() + m_fileSize;
    std::size_t done = 0;
    while (done < capacity && m_position < size()) {
        const std::size_t room = capacity - done;
        if (m_position < head.size()) {
            const std::size_t n = std::min<std::uint64_t>(room, head.size() - m_position);
            std::memcpy(buffer + done, head.data() + m_position, n);
            done += n;
            m_position += n;
        } else if (m_position < fileEnd) {
            const std::size_t want = std::min<std::uint64_t>(room, fileEnd - m_position);
            const ssize_t n = ::pread(m_fd, buffer + done, want, static_cast<off_t>(m_position - head.size()));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return tarvix::systemFailure(errno);
            if (n == 0) return tarvix::Failure{"The archive is shorter than when it was opened.", EIO};
            done += static_cast<std::size_t>(n);
            m_position += static_cast<std::uint64_t>(n);
        } else {
            const std::size_t offset = m_position - fileEnd;
            const std::size_t n = std::min<std::size_t>(room, tail.size() - offset);
            std::memcpy(buffer + done, tail.data() + offset, n);
            done += n;
            m_position += n;
        }
    }
    return done;
}

tarvix::Status FileBodyStream::seek(std::uint64_t position)
{
    if (position > size()) return tarvix::Failure{"Past the end of the body.", EINVAL};
    m_position = position;
    return {};
}

}  // namespace tarvix::UploadAPI
