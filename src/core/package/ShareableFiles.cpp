#include "core/package/ShareableFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

#include "core/package/Pruning.h"
#include "core/package/TextEncoding.h"
#include "core/workspace/SharedValues.h"
#include "platform/FolderRelative.h"

namespace fs = std::filesystem;
using tarvix::ShareEntry;

namespace tarvix::FilesPathDirectory {
namespace {

/// How compressed and archived formats begin (tar's mark sits at 257).
constexpr std::pair<std::size_t, std::string_view> kCompressedMagic[] = {
    {0, "PK\x03\x04"},
    {0, "PK\x05\x06"},
    {0, "PK\x07\x08"},
    {0, "\x1f\x8b"},
    {0, "\x1f\x9d"},
    {0, "BZh"},
    {0, "\xfd"
        "7zXZ\x00"},
    {0, "\x5d\x00\x00"},
    {0, "\x28\xb5\x2f\xfd"},
    {0, "\x04\x22\x4d\x18"},
    {0, "\x02\x21\x4c\x18"},
    {0, "7z\xbc\xaf\x27\x1c"},
    {0, "Rar!\x1a\x07"},
    {0, "MSCF\x00\x00\x00\x00"},
    {0, "xar!"},
    {0, "!<arch>\n"},
    {0, "LZIP"},
    {0, "\x89LZO\x00"},
    {0, "\xff\x06\x00\x00sNaPpY"},
    {0, "hsqs"},
    {0, "pbzx"},
    {0, "bvx2"},
    {0, "\x78\x01"},
    {0, "\x78\x9c"},
    {0, "\x78\xda"},
    {257, "ustar"},
};

bool isCompressed(std::string_view head)
{
    for (const auto& [at, magic] : kCompressedMagic)
        if (head.size() >= at + magic.size() && head.substr(at, magic.size()) == magic) return true;
    // Zstandard's skippable frames: 0x184D2A50 to 0x184D2A5F, little-endian.
    return head.size() >= 4 && (static_cast<unsigned char>(head[0]) & 0xF0) == 0x50 &&
           head.substr(1, 3) == "\x2a\x4d\x18";
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
        // By the bytes, whatever the name: a ".log" may be gzip-compressed.
        if (const auto fd = openShareable(sessionFolder, file.source)) file.entry.kind = kindOfFile(fd->get());
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
    if (isCompressed(head)) return ShareEntry::Kind::compressed;
    if (head.substr(0, 6) == "bplist") return ShareEntry::Kind::binaryPlist;
    if (textEncoding(head) != TextEncoding::utf8) return ShareEntry::Kind::text;
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
