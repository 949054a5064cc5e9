#include "ReportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Files.h"

namespace tarvix::spindump {
namespace {

constexpr const char* kSymbolicLink = "it is a symbolic link";
constexpr const char* kNotRegular = "it is not a regular file";

}  // namespace

std::optional<std::string> reportPathProblem(const std::string& path, bool mustBeNew)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) return kSymbolicLink;
        if (!S_ISREG(info.st_mode)) return kNotRegular;
        if (mustBeNew) return "it already exists";
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const char* where = folder.empty() ? "." : folder.c_str();
    if (faccessat(AT_FDCWD, where, W_OK | X_OK, AT_EACCESS) != 0) return std::strerror(errno);
    return std::nullopt;
}

tarvix::Status writeReportFile(const std::string& path, const std::string& text, bool mustBeNew)
{
    // O_NOFOLLOW: a link planted at PATH must not redirect the write. O_NONBLOCK: a FIFO at PATH
    // must not hold the capture until someone reads it.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (mustBeNew ? O_EXCL : O_TRUNC);
    tarvix::platform::FileDescriptor fd(open(path.c_str(), flags, 0600));
    if (!fd) {
        const int error = errno;
        if (error == ELOOP) return tarvix::Failure{kSymbolicLink, error};
        if (error == ENXIO) return tarvix::Failure{kNotRegular, error};
        return tarvix::systemFailure(error);
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return tarvix::Failure{kNotRegular};
    if (auto written = tarvix::platform::writeAll(fd.get(), text); !written) return written;
    return fd.close();
}

}  // namespace tarvix::spindump
