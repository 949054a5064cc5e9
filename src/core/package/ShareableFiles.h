#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "core/package/ShareList.h"
#include "platform/Files.h"

namespace tarvix::FilesPathDirectory {

/// A file a share would send: its entry, and the entry path whose bytes the archive holds (itself,
/// or for a link pruning keeps, the file beside it that the link names).
struct ShareableFile {
    tarvix::ShareEntry entry;
    std::string source;
};

/// What pruning leaves below the session folder's sub-folders, sorted by path, and the folders
/// (zip stores an entry for each). Changes nothing, never follows a link.
struct Shareable {
    std::vector<ShareableFile> files;
    std::vector<std::string> folders;
};
tarvix::Result<Shareable> shareableFiles(const std::filesystem::path& sessionFolder);

/// Opens what the archive holds for `relativePath` below `sessionFolder`: the file itself, or the
/// file beside it a link names when pruning keeps that link. Never through any other link, never
/// outside the folder.
tarvix::Result<platform::FileDescriptor> openShareable(const std::filesystem::path& sessionFolder,
                                                       std::string_view relativePath);

/// The kind of a file from its first bytes.
tarvix::ShareEntry::Kind kindOf(std::string_view head);
/// Reads the first bytes of `fd` (up to 512) and answers its kind; the offset moves.
tarvix::ShareEntry::Kind kindOfFile(int fd);

}  // namespace tarvix::FilesPathDirectory
