#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

/// Makes a folder's entries impossible to remove for as long as it lives: write permission is
/// taken away, and for root (whom permissions do not stop) the folder is made immutable.
class Undeletable {
public:
    explicit Undeletable(std::filesystem::path folder) : m_folder(std::move(folder))
    {
        if (::geteuid() != 0) {
            std::filesystem::permissions(m_folder, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
            m_ok = true;
        } else if ((m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) >= 0) {
            m_ok = setImmutable(true);
        }
    }
    ~Undeletable()
    {
        std::error_code ignored;
        if (m_fd >= 0) {
            setImmutable(false);
            ::close(m_fd);
        } else if (m_ok) {
            std::filesystem::permissions(m_folder, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;
    /// False when the file system cannot do it (then the test is skipped).
    bool ok() const { return m_ok; }

private:
    bool setImmutable(bool on)
    {
        int flags = 0;
        if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        return ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }

    std::filesystem::path m_folder;
    int m_fd = -1;
    bool m_ok = false;
};
