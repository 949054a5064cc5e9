#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/base/Uuid.h"

namespace fs = std::filesystem;

namespace platform {

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
}

tarvix::Status FileDescriptor::close()
{
    // Linux releases the descriptor even when close() fails, so it is never retried.
    if (m_fd >= 0 && ::close(release()) != 0) return tarvix::systemFailure(errno);
    return {};
}

tarvix::Status writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) return tarvix::systemFailure(errno);
        if (wrote == 0) return tarvix::systemFailure(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return {};
}

tarvix::Status appendToFile(const fs::path& file, std::string_view bytes)
{
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd) return tarvix::systemFailure(errno);
    if (auto written = writeAll(fd.get(), bytes); !written) return written;
    return fd.close();
}

tarvix::Status writeFileAtomically(const fs::path& file, std::string_view bytes, std::optional<mode_t> mode,
                                   const std::function<bool()>& beforeRename)
{
    fs::path temporary;
    FileDescriptor fd;
    // A fresh name, created exclusively: never an existing file or a link planted there.
    for (int attempt = 0; !fd && attempt < 8; ++attempt) {
        temporary =
            file.parent_path() / ("." + file.filename().string() + ".tarvix-" + tarvix::makeUuid().substr(0, 8));
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode.value_or(0666)));
        if (!fd && errno != EEXIST) return tarvix::systemFailure(errno);
    }
    if (!fd) return tarvix::systemFailure(EEXIST);

    tarvix::Status status = writeAll(fd.get(), bytes);
    if (status && mode && ::fchmod(fd.get(), *mode) != 0) status = tarvix::systemFailure(errno);
    if (status && ::fsync(fd.get()) != 0) status = tarvix::systemFailure(errno);
    if (auto closed = fd.close(); status && !closed) status = closed;
    if (status && beforeRename && !beforeRename()) status = tarvix::systemFailure(ECANCELED);
    if (status && ::rename(temporary.c_str(), file.c_str()) != 0) status = tarvix::systemFailure(errno);
    if (!status) ::unlink(temporary.c_str());
    return status;
}

tarvix::Result<std::string> readRegularFile(const fs::path& file, std::size_t maxBytes)
{
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return tarvix::systemFailure(errno);
    if (!S_ISREG(status.st_mode)) return tarvix::Failure{"not a regular file"};
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes)
        return tarvix::Failure{"larger than " + std::to_string(maxBytes) + " bytes"};

    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return tarvix::systemFailure(errno);
        if (got == 0) break;
        // The file may grow while it is read; the bound holds all the same.
        if (content.size() + static_cast<std::size_t>(got) > maxBytes)
            return tarvix::Failure{"larger than " + std::to_string(maxBytes) + " bytes"};
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

}  // namespace platform
