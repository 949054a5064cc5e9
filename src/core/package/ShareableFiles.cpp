#include "core/package/ShareableFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

#include "core/package/Pruning.h"
#include "core/workspace/SharedValues.h"
#include "platform/FolderRelative.h"

namespace fs = std::filesystem;
using tarvix::ShareEntry;

namespace tarvix::FilesPathDirectory {
namespace {

/// The kind the extension tells for sure; property lists and the rest are read.
std::optional<ShareEntry::Kind> kindByName(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const char* text : {".log", ".txt", ".csv", ".xml", ".json", ".reg", ".bat", ".qlmlogcontrolconfig"})
        if (extension == text) return ShareEntry::Kind::text;
    for (const char* binary : {".zip", ".dmp", ".pml"})
        if (extension == binary) return ShareEntry::Kind::other;
    return std::nullopt;
}

void walk(const fs::path& root, const std::string& relative, Shareable& out)
{
    const auto verdicts = pruneVerdicts(root / relative, UtilityFunctions::allowedExtensions);
    if (!verdicts) return;  // what cannot be listed cannot be zipped either
    for (const PruneVerdict& verdict : *verdicts) {
        const std::string path = relative.empty() ? verdict.name : relative + "/" + verdict.name;
        if (verdict.kind == PruneVerdict::Kind::folder) {
            out.folders.push_back(path);
            walk(root, path, out);
            continue;
        }
        // The session folder's own files are not zipped; the record is written at share time.
        if (!verdict.keep || relative.empty()) continue;
        std::string source = path;
        if (verdict.kind == PruneVerdict::Kind::link) {
            std::error_code error;
            const fs::path target = fs::read_symlink(root / path, error);
            if (error) continue;
            source = relative + "/" + target.string();
        }
        struct stat status {};
        if (::lstat((root / source).c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        out.files.push_back({ShareEntry{path, static_cast<std::uint64_t>(status.st_size), ShareEntry::Kind::other,
                                        source == path ? std::string() : source},
                             source});
    }
}

}  // namespace

tarvix::Result<Shareable> shareableFiles(const fs::path& sessionFolder)
{
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(sessionFolder, error)))
        return tarvix::Failure{"The session folder is missing or not a folder.", ENOTDIR};
    Shareable out;
    walk(sessionFolder, "", out);
    for (ShareableFile& file : out.files) {
        if (const auto known = kindByName(file.source)) {
            file.entry.kind = *known;
        } else if (const auto fd = openShareable(sessionFolder, file.source)) {
            file.entry.kind = kindOfFile(fd->get());
        }
    }
    const auto byPath = [](const ShareableFile& a, const ShareableFile& b) { return a.entry.path < b.entry.path; };
    std::sort(out.files.begin(), out.files.end(), byPath);
    std::sort(out.folders.begin(), out.folders.end());
    return out;
}

tarvix::Result<platform::FileDescriptor> openShareable(const fs::path& sessionFolder, std::string_view relativePath)
{
    auto fd = platform::openFileInside(sessionFolder, relativePath);
    if (fd || fd.failure().errorNumber != ELOOP) return fd;
    // The last component is a link: only one pruning keeps, and then the file beside it.
    const std::string path(relativePath);
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const auto verdicts = pruneVerdicts(sessionFolder / folder, UtilityFunctions::allowedExtensions);
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const bool kept = verdicts && std::any_of(verdicts->begin(), verdicts->end(), [&](const PruneVerdict& v) {
                          return v.name == name && v.kind == PruneVerdict::Kind::link && v.keep;
                      });
    if (!kept) return tarvix::Failure{"a symbolic link pruning would remove", ELOOP};
    std::error_code error;
    const fs::path target = fs::read_symlink(sessionFolder / path, error);
    if (error || target.has_parent_path()) return tarvix::Failure{"a symbolic link out of its folder", ELOOP};
    return platform::openFileInside(sessionFolder, folder.empty() ? target.string() : folder + "/" + target.string());
}

ShareEntry::Kind kindOf(std::string_view head)
{
    if (head.substr(0, 6) == "bplist") return ShareEntry::Kind::binaryPlist;
    return head.find('\0') == std::string_view::npos ? ShareEntry::Kind::text : ShareEntry::Kind::other;
}

ShareEntry::Kind kindOfFile(int fd)
{
    char head[512];
    ssize_t got = 0;
    do got = ::read(fd, head, sizeof head);
    while (got < 0 && errno == EINTR);
    return kindOf(std::string_view(head, got > 0 ? static_cast<std::size_t>(got) : 0));
}

}  // namespace tarvix::FilesPathDirectory
