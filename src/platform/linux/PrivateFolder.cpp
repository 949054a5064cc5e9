#include "platform/PrivateFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Uuid.h"

namespace fs = std::filesystem;

namespace tarvix::platform {
namespace {

/// Refuses a folder that is not this user's own, or that others may enter.
tarvix::Status checkPrivate(int fd, const fs::path& path)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0) return tarvix::systemFailure(errno, path.string());
    if (!S_ISDIR(status.st_mode)) return tarvix::systemFailure(ENOTDIR, path.string());
    if (status.st_uid != ::geteuid()) return tarvix::Failure{path.string() + ": owned by another user", EPERM};
    if ((status.st_mode & 077) != 0) return tarvix::Failure{path.string() + ": open to other users", EPERM};
    return {};
}

tarvix::Status refuseName(std::string_view name)
{
    if (isPlainName(name)) return {};
    return tarvix::Failure{"not a plain name: " + std::string(name), EINVAL};
}

std::string temporaryName(std::string_view name)
{
    return "." + std::string(name) + ".tarvix-" + tarvix::makeUuid().substr(0, 8);
}

/// A new owner-only file beside nothing of the same name, and its name.
tarvix::Result<std::pair<FileDescriptor, std::string>> createFresh(int folder, std::string_view name)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string candidate = temporaryName(name);
        FileDescriptor fd(
            ::openat(folder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd) return std::pair{std::move(fd), std::move(candidate)};
        if (errno != EEXIST) return tarvix::systemFailure(errno, name);
    }
    return tarvix::systemFailure(EEXIST, name);
}

tarvix::Status removeAt(int parent, const std::string& name)
{
    if (::unlinkat(parent, name.c_str(), 0) == 0 || errno == ENOENT) return {};
    if (errno != EISDIR && errno != EPERM) return tarvix::systemFailure(errno, name);
    FileDescriptor folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) return tarvix::systemFailure(errno, name);
    DIR* listing = ::fdopendir(::dup(folder.get()));
    if (!listing) return tarvix::systemFailure(errno, name);
    tarvix::Status first;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string entryName(entry->d_name);
        if (entryName == "." || entryName == "..") continue;
        if (auto removed = removeAt(folder.get(), entryName); !removed && first) first = removed;
    }
    ::closedir(listing);
    if (first && ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) first = tarvix::systemFailure(errno, name);
    return first;
}

}  // namespace

bool isPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

tarvix::Result<PrivateFolder> PrivateFolder::open(const fs::path& folder, bool create)
{
    if (create) {
        if (auto made = createPrivateFolders(folder); !made) return made.failure();
    }
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno, folder.string());
    if (auto checked = checkPrivate(fd.get(), folder); !checked) return checked.failure();
    return PrivateFolder(std::move(fd), folder);
}

tarvix::Result<PrivateFolder> PrivateFolder::folder(std::string_view name, bool create) const
{
    if (auto plain = refuseName(name); !plain) return plain.failure();
    const std::string entry(name);
    if (create && ::mkdirat(m_fd.get(), entry.c_str(), 0700) != 0 && errno != EEXIST)
        return tarvix::systemFailure(errno, entry);
    FileDescriptor fd(::openat(m_fd.get(), entry.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno, entry);
    if (auto checked = checkPrivate(fd.get(), m_path / entry); !checked) return checked.failure();
    return PrivateFolder(std::move(fd), m_path / entry);
}

tarvix::Result<std::vector<std::string>> PrivateFolder::names() const
{
    DIR* listing = ::fdopendir(::dup(m_fd.get()));
    if (!listing) return tarvix::systemFailure(errno, m_path.string());
    ::rewinddir(listing);
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") found.emplace_back(name);
    }
    ::closedir(listing);
    return found;
}

tarvix::Result<FileDescriptor> PrivateFolder::openOwnFile(std::string_view name) const
{
    if (auto plain = refuseName(name); !plain) return plain.failure();
    const std::string entry(name);
    // O_NONBLOCK: a planted pipe must not hang the open; fstat below refuses it anyway.
    FileDescriptor fd(::openat(m_fd.get(), entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno, entry);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return tarvix::systemFailure(errno, entry);
    if (!S_ISREG(status.st_mode)) return tarvix::Failure{entry + ": not a regular file", EINVAL};
    if (status.st_uid != ::geteuid()) return tarvix::Failure{entry + ": owned by another user", EPERM};
    if (status.st_nlink != 1) return tarvix::Failure{entry + ": has other links", EPERM};
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

tarvix::Result<std::string> PrivateFolder::readOwnFile(std::string_view name, std::size_t maxBytes) const
{
    auto fd = openOwnFile(name);
    if (!fd) return fd.failure();
    std::string content;
    char buffer[16384];
    for (;;) {
        const auto got = readSome(fd->get(), buffer, sizeof buffer);
        if (!got) return got.failure();
        if (*got == 0) return content;
        if (content.size() + *got > maxBytes)
            return tarvix::Failure{std::string(name) + ": larger than " + std::to_string(maxBytes) + " bytes", EFBIG};
        content.append(buffer, *got);
    }
}

tarvix::Status PrivateFolder::writeAtomically(std::string_view name, std::string_view bytes) const
{
    if (auto plain = refuseName(name); !plain) return plain;
    auto fresh = createFresh(m_fd.get(), name);
    if (!fresh) return fresh.failure();
    auto& [fd, temporary] = *fresh;
    tarvix::Status status = writeAll(fd.get(), bytes);
    if (status && ::fsync(fd.get()) != 0) status = tarvix::systemFailure(errno, temporary);
    if (auto closed = fd.close(); status && !closed) status = closed;
    if (status && ::renameat(m_fd.get(), temporary.c_str(), m_fd.get(), std::string(name).c_str()) != 0)
        status = tarvix::systemFailure(errno, name);
    if (!status) {
        ::unlinkat(m_fd.get(), temporary.c_str(), 0);
        return status;
    }
    if (::fsync(m_fd.get()) != 0) return tarvix::systemFailure(errno, m_path.string());
    return {};
}

tarvix::Result<std::uint64_t> PrivateFolder::copyInto(std::string_view name, int source) const
{
    if (auto plain = refuseName(name); !plain) return plain.failure();
    const std::string entry(name);
    FileDescriptor fd(::openat(m_fd.get(), entry.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) return tarvix::systemFailure(errno, entry);
    std::uint64_t copied = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::pread(source, buffer, sizeof buffer, static_cast<off_t>(copied));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return tarvix::systemFailure(errno, "the source");
        if (got == 0) break;
        if (auto written = writeAll(fd.get(), std::string_view(buffer, static_cast<std::size_t>(got))); !written)
            return written.failure();
        copied += static_cast<std::uint64_t>(got);
    }
    if (::fsync(fd.get()) != 0) return tarvix::systemFailure(errno, entry);
    if (auto closed = fd.close(); !closed) return closed.failure();
    return copied;
}

tarvix::Status PrivateFolder::renameNew(std::string_view from, std::string_view to) const
{
    if (auto plain = refuseName(from); !plain) return plain;
    if (auto plain = refuseName(to); !plain) return plain;
    if (::renameat2(m_fd.get(), std::string(from).c_str(), m_fd.get(), std::string(to).c_str(), RENAME_NOREPLACE) != 0)
        return tarvix::systemFailure(errno, to);
    if (::fsync(m_fd.get()) != 0) return tarvix::systemFailure(errno, m_path.string());
    return {};
}

tarvix::Status PrivateFolder::sync() const
{
    if (::fsync(m_fd.get()) != 0) return tarvix::systemFailure(errno, m_path.string());
    return {};
}

tarvix::Status PrivateFolder::remove(std::string_view name) const
{
    if (auto plain = refuseName(name); !plain) return plain;
    if (auto removed = removeAt(m_fd.get(), std::string(name)); !removed) return removed;
    if (::fsync(m_fd.get()) != 0) return tarvix::systemFailure(errno, m_path.string());
    return {};
}

fs::path PrivateFolder::anchored(std::string_view name) const
{
    return fs::path("/proc/self/fd") / std::to_string(m_fd.get()) / std::string(name);
}

}  // namespace tarvix::platform
