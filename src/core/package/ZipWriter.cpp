#include "core/package/ZipWriter.h"

#include <fcntl.h>
#include <minizip/zip.h>
#include <unicode/utf8.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>

namespace fs = std::filesystem;

namespace tarvix {
namespace {

/// "Version made by": Unix, zip 3.0; the upper half of the external attributes is then the mode.
constexpr uLong kMadeByUnix = (3u << 8) | 30u;
/// General purpose flag 11: the name is UTF-8.
constexpr uLong kUtf8Name = 1u << 11;

Status zipStatus(int code, const char* what)
{
    if (code == ZIP_OK) return {};
    if (code == ZIP_ERRNO) return systemFailure(errno, what);
    return Failure{std::string(what) + ": zip error " + std::to_string(code)};
}

/// Non-ASCII and valid UTF-8: only such a name may say it is UTF-8, or readers refuse the archive.
bool isUtf8BeyondAscii(std::string_view text)
{
    bool beyondAscii = false;
    for (std::int32_t at = 0, length = static_cast<std::int32_t>(text.size()); at < length;) {
        UChar32 c = 0;
        U8_NEXT(text.data(), at, length, c);
        if (c < 0) return false;
        beyondAscii = beyondAscii || c >= 0x80;
    }
    return beyondAscii;
}

}  // namespace

Result<ZipWriter> ZipWriter::create(const fs::path& file)
{
    // minizip opens by name with fopen; making the file first refuses one that is already there
    // (or a link planted in its place).
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return systemFailure(errno, "the archive");
    ::close(fd);
    void* zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
    if (!zip) {
        const int error = errno;
        ::unlink(file.c_str());
        return systemFailure(error, "the archive");
    }
    return ZipWriter(zip, file);
}

ZipWriter::ZipWriter(ZipWriter&& other) noexcept : m_zip(other.m_zip), m_file(std::move(other.m_file))
{
    other.m_zip = nullptr;
}

ZipWriter::~ZipWriter()
{
    if (!m_zip) return;
    zipClose(m_zip, nullptr);
    ::unlink(m_file.c_str());
}

Status ZipWriter::open(std::string_view name, const struct stat& info, bool folder)
{
    zip_fileinfo entry{};
    struct tm local {};
    ::localtime_r(&info.st_mtime, &local);
    entry.tmz_date = {static_cast<uInt>(local.tm_sec),  static_cast<uInt>(local.tm_min),
                      static_cast<uInt>(local.tm_hour), static_cast<uInt>(local.tm_mday),
                      static_cast<uInt>(local.tm_mon),  static_cast<uInt>(local.tm_year + 1900)};
    entry.external_fa = (static_cast<uLong>(info.st_mode & 0xffff) << 16) | (folder ? 0x10u : 0u);
    const std::string entryName = std::string(name) + (folder ? "/" : "");
    // Folders are stored, as zip stores them; a file gets zip64 fields only when hiding could take
    // it past 4 GiB.
    const int zip64 = !folder && static_cast<std::uint64_t>(info.st_size) >= 0xffffffffu / 2;
    return zipStatus(zipOpenNewFileInZip4_64(m_zip, entryName.c_str(), &entry, nullptr, 0, nullptr, 0, nullptr,
                                             folder ? 0 : Z_DEFLATED, folder ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                             DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix,
                                             isUtf8BeyondAscii(entryName) ? kUtf8Name : 0, zip64),
                     "the archive entry");
}

Status ZipWriter::addFolder(std::string_view name, const struct stat& info)
{
    if (auto opened = open(name, info, true); !opened) return opened;
    return endFile();
}

Status ZipWriter::beginFile(std::string_view name, const struct stat& info) { return open(name, info, false); }

Status ZipWriter::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto piece = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (auto written = zipStatus(zipWriteInFileInZip(m_zip, bytes.data(), piece), "writing the archive"); !written)
            return written;
        bytes.remove_prefix(piece);
    }
    return {};
}

Status ZipWriter::endFile() { return zipStatus(zipCloseFileInZip(m_zip), "writing the archive"); }

Status ZipWriter::close()
{
    const int code = zipClose(m_zip, nullptr);
    m_zip = nullptr;
    if (code == ZIP_OK) return {};
    const Status failed = zipStatus(code, "closing the archive");
    ::unlink(m_file.c_str());
    return failed;
}

}  // namespace tarvix
