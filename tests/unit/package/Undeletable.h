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
            return;
        }
        m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_ok = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~Undeletable()
    {
        if (m_fd >= 0) {
            int flags = 0;
            if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(m_fd);
        } else if (m_ok) {
            std::error_code ignored;
            std::filesystem::permissions(m_folder, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;
    /// False when the file system cannot do it (then the test is skipped).
    bool ok() const { return m_ok; }

private:
    std::filesystem::path m_folder;
    int m_fd = -1;
    bool m_ok = false;
};
