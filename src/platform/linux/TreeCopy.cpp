#include "platform/TreeCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::platform {

bool CopyBudget::take(std::uint64_t bytes)
{
    std::uint64_t remaining = m_remaining.load();
    do {
        if (bytes > remaining) return false;
    } while (!m_remaining.compare_exchange_weak(remaining, remaining - bytes));
    return true;
}

namespace {

tarvix::Failure itemFailure(int error, const fs::path& item)
{
    return tarvix::Failure{"The item “" + item.filename().string() +
                               "” couldn’t be copied: " + tarvix::errorText(error) + " (" + item.string() + ")",
                           error};
}

/// An entry of an open folder, with its full path for messages.
struct Entry {
    int folder;
    std::string name;
    fs::path path;
};

/// The names in an open folder, "." and ".." left out.
tarvix::Result<std::vector<std::string>> entryNames(int folder)
{
    // fdopendir owns the descriptor it gets: hand it a duplicate.
    std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(::fcntl(folder, F_DUPFD_CLOEXEC, 0)), ::closedir);
    if (!listing) return tarvix::systemFailure(errno);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (!entry) break;
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    if (errno != 0) return tarvix::systemFailure(errno);
    return names;
}

/// Copies at most `size` bytes: a file that grows while it is read stays within what was counted.
tarvix::Status copyBytes(int from, int to, std::uint64_t size)
{
    std::vector<char> buffer(256 * 1024);
    while (size > 0) {
        const auto got =
            readSome(from, buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size)));
        if (!got) return got.status();
        if (*got == 0) break;
        if (auto written = writeAll(to, std::string_view(buffer.data(), *got)); !written) return written;
        size -= *got;
    }
    return {};
}

/// The text of the link `entry`.
std::optional<std::string> linkText(const Entry& entry)
{
    char text[PATH_MAX];
    const ssize_t length = ::readlinkat(entry.folder, entry.name.c_str(), text, sizeof text);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(length));
}

/// Whether a link's text names a regular file beside the link, by a bare name.
bool namesFileBeside(int folder, const std::string& target)
{
    if (target == "." || target == ".." || target.find('/') != std::string::npos) return false;
    struct stat status {};
    return ::fstatat(folder, target.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
}

class Copier {
public:
    Copier(CopyBudget* budget, const LeftOutHandler& leftOut) : m_budget(budget), m_leftOut(leftOut) {}

    tarvix::Status copy(const Entry& from, const Entry& to, bool insideCopiedFolder)
    {
        struct stat status {};
        if (::fstatat(from.folder, from.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return itemFailure(errno, from.path);
        if (S_ISLNK(status.st_mode)) return copyLink(from, to, insideCopiedFolder);
        if (S_ISREG(status.st_mode)) return copyFile(from, to);
        if (S_ISDIR(status.st_mode)) return copyFolder(from, to);
        return {};
    }

private:
    void leaveOut(const fs::path& item, LeftOut why) const
    {
        if (m_leftOut) m_leftOut(item, why);
    }

    tarvix::Status copyLink(const Entry& from, const Entry& to, bool insideCopiedFolder)
    {
        const auto text = linkText(from);
        if (!insideCopiedFolder || !text || !namesFileBeside(from.folder, *text)) {
            leaveOut(from.path, LeftOut::link);
            return {};
        }
        if (::symlinkat(text->c_str(), to.folder, to.name.c_str()) != 0) return itemFailure(errno, to.path);
        return {};
    }

    tarvix::Status copyFile(const Entry& from, const Entry& to)
    {
        // O_NONBLOCK: a pipe swapped in meanwhile must not block the open.
        FileDescriptor source(::openat(from.folder, from.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!source) return itemFailure(errno, from.path);
        struct stat status {};
        if (::fstat(source.get(), &status) != 0) return itemFailure(errno, from.path);
        if (!S_ISREG(status.st_mode)) return {};
        const auto size = static_cast<std::uint64_t>(status.st_size);
        if (m_budget && !m_budget->take(size)) {
            leaveOut(from.path, LeftOut::overBudget);
            return {};
        }
        FileDescriptor target(::openat(to.folder, to.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                       (status.st_mode & 0700) | 0600));
        if (!target) return itemFailure(errno, to.path);
        tarvix::Status copied = copyBytes(source.get(), target.get(), size);
        const timespec times[2] = {{0, UTIME_OMIT}, status.st_mtim};
        if (copied && ::futimens(target.get(), times) != 0) copied = tarvix::systemFailure(errno);
        if (auto closed = target.close(); copied && !closed) copied = closed;
        if (copied) return {};
        // A part of a file is no copy of it.
        ::unlinkat(to.folder, to.name.c_str(), 0);
        return itemFailure(copied.failure().errorNumber, from.path);
    }

    tarvix::Status copyFolder(const Entry& from, const Entry& to)
    {
        FileDescriptor source(
            ::openat(from.folder, from.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!source) return itemFailure(errno, from.path);
        if (::mkdirat(to.folder, to.name.c_str(), 0700) != 0) return itemFailure(errno, to.path);
        FileDescriptor target(::openat(to.folder, to.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!target) return itemFailure(errno, to.path);
        const auto names = entryNames(source.get());
        if (!names) return itemFailure(names.failure().errorNumber, from.path);
        tarvix::Status first;
        for (const std::string& name : *names) {
            auto copied = copy({source.get(), name, from.path / name}, {target.get(), name, to.path / name}, true);
            if (!copied && first) first = copied;
        }
        return first;
    }

    CopyBudget* m_budget;
    const LeftOutHandler& m_leftOut;
};

/// The folder that holds `item`, opened as the caller named it.
FileDescriptor openParent(const fs::path& item)
{
    const fs::path parent = item.parent_path();
    return FileDescriptor(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

tarvix::Status copyTree(const fs::path& from, const fs::path& to, CopyBudget* budget, const LeftOutHandler& leftOut)
{
    const fs::path source = from.has_filename() ? from : from.parent_path();
    const fs::path target = to.has_filename() ? to : to.parent_path();
    const FileDescriptor sourceFolder = openParent(source);
    if (!sourceFolder) return itemFailure(errno, source);
    const FileDescriptor targetFolder = openParent(target);
    if (!targetFolder) return itemFailure(errno, target);
    Copier copier(budget, leftOut);
    return copier.copy({sourceFolder.get(), source.filename().string(), source},
                       {targetFolder.get(), target.filename().string(), target}, false);
}

}  // namespace tarvix::platform
