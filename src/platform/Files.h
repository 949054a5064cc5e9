#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/Status.h"

namespace tarvix::platform {

/// One open file descriptor, closed once.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1);
    /// Closes now and answers how: a delayed write error may show only here.
    tarvix::Status close();

private:
    int m_fd = -1;
};

/// One read of at most `size` bytes, retried when interrupted; 0 at the end of the file.
tarvix::Result<std::size_t> readSome(int fd, char* buffer, std::size_t size);

/// Writes all of `bytes`, through interruptions and short writes.
tarvix::Status writeAll(int fd, std::string_view bytes);

/// Appends `bytes` to `file` in one write (whole even beside other appenders), creating the
/// file owner-only (0600, umask applied) when it is missing; never through a symbolic link.
tarvix::Status appendToFile(const std::filesystem::path& file, std::string_view bytes);

/// Writes `replacement` in place of `previous` where `file` ends in it, else after its end; never
/// through a symbolic link. For a section a writer keeps rewriting at the end of its own file.
tarvix::Status replaceFileEnd(const std::filesystem::path& file, std::string_view previous,
                              std::string_view replacement);

/// Replaces `file` whole: the bytes go to a new file in the same folder, are synced and renamed
/// over it, so a reader sees the old content or the new, never a part. With `mode` the file
/// gets exactly that mode; without, it is owner-only (0600, umask applied). `beforeRename`, when
/// given, runs once the new bytes are on disk; false leaves `file` as it is (a Failure, ECANCELED).
tarvix::Status writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                   std::optional<mode_t> mode = std::nullopt,
                                   const std::function<bool()>& beforeRename = {});

/// Creates `folder` and every missing folder above it owner-only (0700, umask applied); folders
/// that exist stay as they are.
/// Writes `file` whole and for its owner alone, only when no file or link of that name exists
/// (EEXIST then): a value made once stays the first one made.
tarvix::Status createFileOnce(const std::filesystem::path& file, std::string_view bytes);

tarvix::Status createPrivateFolders(const std::filesystem::path& folder);

/// Takes group and other access away from `item` and everything below it that the user owns,
/// never through a symbolic link, even one swapped in meanwhile. Answers how many items it changed.
tarvix::Result<std::size_t> restrictToOwner(const std::filesystem::path& item);

/// The content of a regular file of at most `maxBytes`. Anything else fails without being read:
/// a pipe or device could block or never end.
tarvix::Result<std::string> readRegularFile(const std::filesystem::path& file, std::size_t maxBytes);

/// The last `maxBytes` of a regular file, all of it when it is smaller.
tarvix::Result<std::string> readRegularFileTail(const std::filesystem::path& file, std::size_t maxBytes);

}  // namespace tarvix::platform
