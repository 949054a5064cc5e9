#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Uuid.h"

namespace fs = std::filesystem;

namespace tarvix::platform {

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

tarvix::Result<std::size_t> readSome(int fd, char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return tarvix::systemFailure(errno);
    }
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
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) return tarvix::systemFailure(errno);
    if (auto written = writeAll(fd.get(), bytes); !written) return written;
    return fd.close();
}

tarvix::Status replaceFileEnd(const fs::path& file, std::string_view previous, std::string_view replacement)
{
    FileDescriptor fd(::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) return tarvix::systemFailure(errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return tarvix::systemFailure(errno);
    off_t end = status.st_size;
    if (!previous.empty() && static_cast<std::uintmax_t>(end) >= previous.size()) {
        const off_t start = end - static_cast<off_t>(previous.size());
        std::string found(previous.size(), '\0');
        const ssize_t got = ::pread(fd.get(), found.data(), found.size(), start);
        if (got == static_cast<ssize_t>(found.size()) && found == previous) {
            if (::ftruncate(fd.get(), start) != 0) return tarvix::systemFailure(errno);
            end = start;
        }
    }
    if (::lseek(fd.get(), end, SEEK_SET) < 0) return tarvix::systemFailure(errno);
    if (auto written = writeAll(fd.get(), replacement); !written) return written;
    return fd.close();
}

namespace {

/// `bytes` synced to disk in a new file beside `file`, under a fresh name created exclusively:
/// never an existing file or a link planted there. Answers that file's path.
tarvix::Result<fs::path> writeAside(const fs::path& file, std::string_view bytes, std::optional<mode_t> mode)
{
    fs::path temporary;
    FileDescriptor fd;
    for (int attempt = 0; !fd && attempt < 8; ++attempt) {
        temporary =
            file.parent_path() / ("." + file.filename().string() + ".tarvix-" + tarvix::makeUuid().substr(0, 8));
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode.value_or(0600)));
        if (!fd && errno != EEXIST) return tarvix::systemFailure(errno);
    }
    if (!fd) return tarvix::systemFailure(EEXIST);

    tarvix::Status status = writeAll(fd.get(), bytes);
    if (status && mode && ::fchmod(fd.get(), *mode) != 0) status = tarvix::systemFailure(errno);
    if (status && ::fsync(fd.get()) != 0) status = tarvix::systemFailure(errno);
    if (auto closed = fd.close(); status && !closed) status = closed;
    if (!status) {
        ::unlink(temporary.c_str());
        return status.failure();
    }
    return temporary;
}

}  // namespace

tarvix::Status writeFileAtomically(const fs::path& file, std::string_view bytes, std::optional<mode_t> mode,
                                   const std::function<bool()>& beforeRename)
{
    const auto temporary = writeAside(file, bytes, mode);
    if (!temporary) return temporary.status();
    tarvix::Status status;
    if (beforeRename && !beforeRename()) status = tarvix::systemFailure(ECANCELED);
    if (status && ::rename(temporary->c_str(), file.c_str()) != 0) status = tarvix::systemFailure(errno);
    if (!status) ::unlink(temporary->c_str());
    return status;
}

tarvix::Status createFileOnce(const fs::path& file, std::string_view bytes)
{
    // link() never replaces and never follows a link at `file`.
    const auto temporary = writeAside(file, bytes, 0600);
    if (!temporary) return temporary.status();
    tarvix::Status status;
    if (::link(temporary->c_str(), file.c_str()) != 0) status = tarvix::systemFailure(errno);
    ::unlink(temporary->c_str());
    return status;
}

tarvix::Status createPrivateFolders(const fs::path& folder)
{
    fs::path current;
    for (const fs::path& part : folder) {
        if (part.empty()) continue;
        current /= part;
        if (::mkdir(current.c_str(), 0700) != 0 && errno != EEXIST)
            return tarvix::systemFailure(errno, current.string());
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return tarvix::systemFailure(errno, folder.string());
    if (!S_ISDIR(status.st_mode)) return tarvix::systemFailure(ENOTDIR, folder.string());
    return {};
}

namespace {

/// Closes `name` in the opened folder `parent` to group and others, and, when it is a folder,
/// everything below it. Each item is reached through a descriptor opened relative to its parent
/// without following a link, so a name swapped for a link meanwhile changes nothing outside; what
/// the user does not own is left as it is (and a folder of another's is not entered).
tarvix::Status restrictBelow(int parent, const char* name, const fs::path& path, std::size_t& changed)
{
    // O_PATH: no access is needed to reach an item whose mode is about to change.
    FileDescriptor item(::openat(parent, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!item && errno == ENOENT) return {};  // gone meanwhile: nothing left to close
    if (!item) return tarvix::systemFailure(errno, path.string());
    struct stat status {};
    if (::fstat(item.get(), &status) != 0) return tarvix::systemFailure(errno, path.string());
    // A link has no access of its own; what it points to is not ours to change.
    if (S_ISLNK(status.st_mode) || status.st_uid != ::geteuid()) return {};
    // fchmod() refuses an O_PATH descriptor; its /proc name reaches the very item it holds.
    const std::string self = "/proc/self/fd/" + std::to_string(item.get());
    if ((status.st_mode & 077) != 0) {
        if (::chmod(self.c_str(), status.st_mode & 07700) != 0) return tarvix::systemFailure(errno, path.string());
        ++changed;
    }
    if (!S_ISDIR(status.st_mode)) return {};
    // Closed first: once it is, nobody else can reach what lies below while it is walked.
    FileDescriptor folder(::open(self.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return tarvix::systemFailure(errno, path.string());
    DIR* listing = ::fdopendir(::dup(folder.get()));
    if (!listing) return tarvix::systemFailure(errno, path.string());
    tarvix::Status first;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view entryName(entry->d_name);
        if (entryName == "." || entryName == "..") continue;
        if (auto done = restrictBelow(folder.get(), entry->d_name, path / entryName, changed); !done && first)
            first = done;
    }
    ::closedir(listing);
    return first;
}

}  // namespace

tarvix::Result<std::size_t> restrictToOwner(const fs::path& item)
{
    const fs::path parentPath = item.has_parent_path() ? item.parent_path() : fs::path(".");
    FileDescriptor parent(::open(parentPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!parent) return tarvix::systemFailure(errno, parentPath.string());
    std::size_t changed = 0;
    if (auto done = restrictBelow(parent.get(), item.filename().c_str(), item, changed); !done) return done.failure();
    return changed;
}

namespace {

/// A regular file opened for reading, and its size; anything else fails without being read.
tarvix::Result<std::pair<FileDescriptor, std::uintmax_t>> openRegularFile(const fs::path& file)
{
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return tarvix::systemFailure(errno);
    if (!S_ISREG(status.st_mode)) return tarvix::Failure{"not a regular file"};
    return std::pair{std::move(fd), static_cast<std::uintmax_t>(status.st_size)};
}

/// Reads to the end, or fails once more than `maxBytes` came.
tarvix::Result<std::string> readAtMost(int fd, std::size_t maxBytes)
{
    std::string content;
    char buffer[65536];
    for (;;) {
        const auto got = readSome(fd, buffer, sizeof buffer);
        if (!got) return got.failure();
        if (*got == 0) break;
        // The file may grow while it is read; the bound holds all the same.
        if (content.size() + *got > maxBytes)
            return tarvix::Failure{"larger than " + std::to_string(maxBytes) + " bytes"};
        content.append(buffer, *got);
    }
    return content;
}

}  // namespace

tarvix::Result<std::string> readRegularFile(const fs::path& file, std::size_t maxBytes)
{
    auto opened = openRegularFile(file);
    if (!opened) return opened.failure();
    if (opened->second > maxBytes) return tarvix::Failure{"larger than " + std::to_string(maxBytes) + " bytes"};
    return readAtMost(opened->first.get(), maxBytes);
}

tarvix::Result<std::string> readRegularFileTail(const fs::path& file, std::size_t maxBytes)
{
    auto opened = openRegularFile(file);
    if (!opened) return opened.failure();
    const std::uintmax_t start = opened->second > maxBytes ? opened->second - maxBytes : 0;
    if (::lseek(opened->first.get(), static_cast<off_t>(start), SEEK_SET) < 0) return tarvix::systemFailure(errno);
    std::string tail;
    tail.resize(static_cast<std::size_t>(opened->second - start));
    std::size_t filled = 0;
    while (filled < tail.size()) {
        const auto got = readSome(opened->first.get(), tail.data() + filled, tail.size() - filled);
        if (!got) return got.failure();
        if (*got == 0) break;
        filled += *got;
    }
    tail.resize(filled);
    return tail;
}

}  // namespace tarvix::platform
