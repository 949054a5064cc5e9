#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "platform/Files.h"

namespace tarvix::platform {

/// An open folder that this user owns and nobody else may enter (no group or other access),
/// checked when it was opened. Everything below it is reached relative to the open folder, one
/// name at a time, never through a symbolic link: a folder swapped or a link planted after the
/// check leads nowhere else.
class PrivateFolder {
public:
    /// Opens `folder`, creating it (and what is missing above it) owner-only when `create`.
    static tarvix::Result<PrivateFolder> open(const std::filesystem::path& folder, bool create);

    /// The folder `name` inside this one, with the same checks; created when missing and `create`.
    tarvix::Result<PrivateFolder> folder(std::string_view name, bool create) const;
    /// Names of the entries, "." and ".." left out.
    tarvix::Result<std::vector<std::string>> names() const;
    /// A regular file of this user's with one link only (a hard link to another's file is refused),
    /// opened read-only.
    tarvix::Result<FileDescriptor> openOwnFile(std::string_view name) const;
    tarvix::Result<std::string> readOwnFile(std::string_view name, std::size_t maxBytes) const;
    /// Replaces or creates `name` whole and durably: a new owner-only file, synced, renamed over it,
    /// the folder synced.
    tarvix::Status writeAtomically(std::string_view name, std::string_view bytes) const;
    /// Copies what `source` reads from its start into the new owner-only file `name`, synced.
    /// Answers the bytes copied.
    tarvix::Result<std::uint64_t> copyInto(std::string_view name, int source) const;
    /// Renames `from` to `to` within this folder; fails when `to` exists. The folder is synced.
    tarvix::Status renameNew(std::string_view from, std::string_view to) const;
    /// Makes the folder's entries durable.
    tarvix::Status sync() const;
    /// Removes `name` and, for a folder, everything below it, never following a link.
    tarvix::Status remove(std::string_view name) const;

    /// A path that reaches `name` through this open folder, whatever happens to its own path.
    /// Valid while this object lives.
    std::filesystem::path anchored(std::string_view name) const;
    const std::filesystem::path& path() const { return m_path; }

private:
    PrivateFolder(FileDescriptor fd, std::filesystem::path path) : m_fd(std::move(fd)), m_path(std::move(path)) {}

    FileDescriptor m_fd;
    std::filesystem::path m_path;
};

/// A single name that stays inside its folder: not empty, no '/', not "." or "..".
bool isPlainName(std::string_view name);

}  // namespace tarvix::platform
