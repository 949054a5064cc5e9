#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "base/Status.h"

namespace tarvix {

/// A zip archive written entry by entry, each entry's bytes streamed in as they are made: deflate at
/// zip's default level unless an entry asks for another, Unix modes and local times, names as zip -r
/// stores them (flagged UTF-8 only when they are). An entry cannot be taken back once begun. Closed
/// (central directory written) by close(); an archive not closed is incomplete and its file is removed.
///
/// Deflating runs on a thread of the writer's own, in the order of the calls, while the caller
/// makes the next bytes; a few calls may wait there. A call answers the first failure of any call
/// before it, so a failure is reported late but never lost: close() answers it at the latest.
class ZipWriter {
public:
    /// Creates `file`, which must not exist yet.
    static Result<ZipWriter> create(const std::filesystem::path& file);
    ZipWriter(ZipWriter&& other) noexcept;
    ZipWriter& operator=(ZipWriter&&) = delete;
    ZipWriter(const ZipWriter&) = delete;
    ~ZipWriter();

    /// A folder entry ("name/"), with the mode and time of `info`.
    Status addFolder(std::string_view name, const struct stat& info);
    /// zlib's default level (6), which zip -r uses.
    static constexpr int kDefaultLevel = -1;
    /// Starts a file entry, deflated at `level` (1 to 9); its bytes follow through write(), then
    /// endFile().
    Status beginFile(std::string_view name, const struct stat& info, int level = kDefaultLevel);
    Status write(std::string_view bytes);
    Status endFile();
    Status close();

private:
    struct Pipe;
    ZipWriter(void* zip, std::filesystem::path file);
    Status open(std::string_view name, const struct stat& info, bool folder, int level);
    /// Runs `operation` on the writer's thread after those before it.
    Status enqueue(std::function<Status()> operation);
    /// Waits for the writer's thread to end: after what is queued, or at once when `discard`.
    Status stop(bool discard);

    void* m_zip = nullptr;
    std::filesystem::path m_file;
    std::unique_ptr<Pipe> m_pipe;
};

}  // namespace tarvix
