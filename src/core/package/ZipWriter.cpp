#include "core/package/ZipWriter.h"

#include <fcntl.h>
#include <minizip/zip.h>
#include <unicode/utf8.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace tarvix {
namespace {

/// "Version made by": Unix, zip 3.0; the upper half of the external attributes is then the mode.
constexpr uLong kMadeByUnix = (3u << 8) | 30u;
/// General purpose flag 11: the name is UTF-8.
constexpr uLong kUtf8Name = 1u << 11;
/// Calls queued for the writer's thread at most: a few of the caller's 256 KiB buffers.
constexpr std::size_t kMostQueued = 8;

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

struct ZipWriter::Pipe {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<Status()>> queue;
    Status failure;  ///< the first
    bool stopping = false;
    std::thread thread;

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopping || !queue.empty(); });
            if (queue.empty()) return;
            const auto operation = std::move(queue.front());
            queue.pop_front();
            // After a failure the archive is lost: what follows is not tried.
            const bool failed = !failure.ok();
            lock.unlock();
            const Status done = failed ? Status() : operation();
            lock.lock();
            if (!done && failure.ok()) failure = done;
            changed.notify_all();
        }
    }
};

ZipWriter::ZipWriter(void* zip, fs::path file) : m_zip(zip), m_file(std::move(file)) {}

Status ZipWriter::enqueue(std::function<Status()> operation)
{
    if (!m_pipe) {
        // Started at the first call, when the writer no longer moves.
        m_pipe = std::make_unique<Pipe>();
        m_pipe->thread = std::thread([pipe = m_pipe.get()] { pipe->run(); });
    }
    std::unique_lock lock(m_pipe->mutex);
    m_pipe->changed.wait(lock, [&] { return m_pipe->queue.size() < kMostQueued || !m_pipe->failure.ok(); });
    if (!m_pipe->failure.ok()) return m_pipe->failure;
    m_pipe->queue.push_back(std::move(operation));
    m_pipe->changed.notify_all();
    return {};
}

Status ZipWriter::stop(bool discard)
{
    if (!m_pipe) return {};
    {
        const std::lock_guard lock(m_pipe->mutex);
        if (discard) m_pipe->queue.clear();
        m_pipe->stopping = true;
        m_pipe->changed.notify_all();
    }
    m_pipe->thread.join();
    const Status failure = m_pipe->failure;
    m_pipe.reset();
    return failure;
}

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

ZipWriter::ZipWriter(ZipWriter&& other) noexcept
    : m_zip(other.m_zip), m_file(std::move(other.m_file)), m_pipe(std::move(other.m_pipe))
{
    other.m_zip = nullptr;
}

ZipWriter::~ZipWriter()
{
    stop(true).absorb();  // the archive is abandoned: what it failed at no longer matters
    if (!m_zip) return;
    zipClose(m_zip, nullptr);
    ::unlink(m_file.c_str());
}

Status ZipWriter::open(std::string_view name, const struct stat& info, bool folder, int level)
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
    return enqueue([zip = m_zip, entry, entryName, folder, level, zip64] {
        return zipStatus(zipOpenNewFileInZip4_64(zip, entryName.c_str(), &entry, nullptr, 0, nullptr, 0, nullptr,
                                                 folder ? 0 : Z_DEFLATED, folder ? 0 : level, 0, -MAX_WBITS,
                                                 DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix,
                                                 isUtf8BeyondAscii(entryName) ? kUtf8Name : 0, zip64),
                         "the archive entry");
    });
}

Status ZipWriter::addFolder(std::string_view name, const struct stat& info)
{
    if (auto opened = open(name, info, true, 0); !opened) return opened;
    return endFile();
}

Status ZipWriter::beginFile(std::string_view name, const struct stat& info, int level)
{
    return open(name, info, false, level);
}

Status ZipWriter::write(std::string_view bytes)
{
    if (bytes.empty()) return {};
    return enqueue([zip = m_zip, bytes = std::string(bytes)] {
        for (std::string_view rest = bytes; !rest.empty();) {
            const auto piece = static_cast<unsigned>(std::min<std::size_t>(rest.size(), 1u << 30));
            if (auto written = zipStatus(zipWriteInFileInZip(zip, rest.data(), piece), "writing the archive"); !written)
                return written;
            rest.remove_prefix(piece);
        }
        return Status();
    });
}

Status ZipWriter::endFile()
{
    return enqueue([zip = m_zip] { return zipStatus(zipCloseFileInZip(zip), "writing the archive"); });
}

Status ZipWriter::close()
{
    const Status written = stop(false);
    const int code = zipClose(m_zip, nullptr);
    m_zip = nullptr;
    if (written && code == ZIP_OK) return {};
    ::unlink(m_file.c_str());
    return written ? zipStatus(code, "closing the archive") : written;
}

}  // namespace tarvix
