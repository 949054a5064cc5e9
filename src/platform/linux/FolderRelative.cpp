#include "platform/FolderRelative.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace tarvix::platform {

tarvix::Result<FileDescriptor> openFileInside(const std::filesystem::path& folder, std::string_view relativePath)
{
    if (relativePath.empty() || relativePath.front() == '/')
        return tarvix::Failure{"not a path inside the folder", EINVAL};
    FileDescriptor current(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) return tarvix::systemFailure(errno, "the folder");
    while (!relativePath.empty()) {
        const std::size_t slash = relativePath.find('/');
        const std::string name(relativePath.substr(0, slash));
        relativePath.remove_prefix(slash == std::string_view::npos ? relativePath.size() : slash + 1);
        if (name.empty() || name == "." || name == "..") return tarvix::Failure{"not a path inside the folder", EINVAL};
        const bool last = relativePath.empty();
        // O_NONBLOCK: a planted pipe must not hang the open; fstat below refuses it anyway.
        const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (last ? O_NONBLOCK : O_DIRECTORY);
        FileDescriptor next(::openat(current.get(), name.c_str(), flags));
        if (!next) return tarvix::systemFailure(errno, name);
        current = std::move(next);
    }
    struct stat status {};
    if (::fstat(current.get(), &status) != 0) return tarvix::systemFailure(errno);
    if (!S_ISREG(status.st_mode)) return tarvix::Failure{"not a regular file", EINVAL};
    const int flags = ::fcntl(current.get(), F_GETFL);
    if (flags >= 0) ::fcntl(current.get(), F_SETFL, flags & ~O_NONBLOCK);
    return current;
}

}  // namespace tarvix::platform
