#include "core/package/FilePreview.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "base/PlistDocument.h"
#include "core/package/ShareableFiles.h"
#include "core/package/TextEncoding.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

/// Up to `limit` bytes from `fd`, and whether there was more.
Result<std::pair<std::string, bool>> readUpTo(int fd, std::size_t limit)
{
    std::string bytes(limit + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const auto read = platform::readSome(fd, bytes.data() + got, bytes.size() - got);
        if (!read) return read.failure();
        if (*read == 0) break;
        got += *read;
    }
    const bool more = got > limit;
    bytes.resize(std::min(got, limit));
    return std::pair{std::move(bytes), more};
}

/// Cuts a truncated text before a UTF-8 sequence it split.
void trimPartialCharacter(std::string& text)
{
    std::size_t back = 0;
    while (back < 4 && back < text.size() && (static_cast<unsigned char>(text[text.size() - 1 - back]) & 0xC0) == 0x80)
        ++back;
    if (back < text.size() && (static_cast<unsigned char>(text[text.size() - 1 - back]) & 0x80))
        text.resize(text.size() - 1 - back);
}

}  // namespace

Result<FilePreview> previewFile(const fs::path& sessionFolder, const std::string& relativePath)
{
    auto fd = FilesPathDirectory::openShareable(sessionFolder, relativePath);
    if (!fd)
        return Failure{"The file “" + relativePath + "” can’t be shown: " + fd.message() + ".",
                       fd.failure().errorNumber};
    auto read = readUpTo(fd->get(), kPlistSizeLimit);
    if (!read)
        return Failure{"The file “" + relativePath + "” can’t be read: " + read.message() + ".",
                       read.failure().errorNumber};
    auto& [bytes, more] = *read;
    FilePreview preview;
    const auto kind = FilesPathDirectory::kindOf(std::string_view(bytes).substr(0, 512));
    if (kind == ShareEntry::Kind::binaryPlist && !more) {
        auto document = parsePlist(bytes);
        if (!document && document.failure().errorNumber == EFBIG)
            return Failure{"The file “" + relativePath + "” can’t be shown: " + document.message(), EFBIG};
        if (document) {
            document->binary = false;
            if (auto xml = encodePlist(*document)) {
                bytes = std::move(*xml);
                more = false;
            }
        }
    } else if (kind != ShareEntry::Kind::text) {
        return preview;
    } else if (const auto encoding = textEncoding(bytes); encoding != TextEncoding::utf8) {
        Utf16Decoder decoder(encoding == TextEncoding::utf16be);
        std::string text;
        decoder.feed(bytes, text);
        decoder.finish(text);
        bytes = std::move(text);
    }
    preview.isText = true;
    preview.truncated = more || bytes.size() > kPreviewLimit;
    if (bytes.size() > kPreviewLimit) bytes.resize(kPreviewLimit);
    if (preview.truncated) trimPartialCharacter(bytes);
    preview.text = std::move(bytes);
    return preview;
}

Result<fs::path> copyForViewing(const fs::path& sessionFolder, const std::string& relativePath,
                                const fs::path& intoFolder)
{
    auto source = FilesPathDirectory::openShareable(sessionFolder, relativePath);
    if (!source)
        return Failure{"The file “" + relativePath + "” can’t be copied: " + source.message() + ".",
                       source.failure().errorNumber};
    if (auto made = platform::createPrivateFolders(intoFolder); !made) return made.failure();
    const fs::path copy = intoFolder / fs::path(relativePath).filename();
    ::unlink(copy.c_str());  // an earlier copy of the same name; a link in its place goes, never followed
    platform::FileDescriptor target(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!target) return systemFailure(errno, "the copy");
    char buffer[64 * 1024];
    for (;;) {
        const auto got = platform::readSome(source->get(), buffer, sizeof buffer);
        if (!got) return got.failure();
        if (*got == 0) break;
        if (auto written = platform::writeAll(target.get(), std::string_view(buffer, *got)); !written)
            return written.failure();
    }
    if (auto closed = target.close(); !closed) return closed.failure();
    return copy;
}

}  // namespace tarvix
