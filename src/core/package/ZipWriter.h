#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string_view>

#include "base/Status.h"

namespace tarvix {

/// A zip archive written entry by entry, each entry's bytes streamed in as they are made: deflate at
/// zip's default level, Unix modes and local times, names as zip -r stores them (flagged UTF-8
/// only when they are). An entry cannot be taken back once begun. Closed (central directory
/// written) by close(); an archive not closed is incomplete and its file is removed.
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
    /// Starts a file entry; its bytes follow through write(), then endFile().
    Status beginFile(std::string_view name, const struct stat& info);
    Status write(std::string_view bytes);
    Status endFile();
    Status close();

private:
    ZipWriter(void* zip, std::filesystem::path file) : m_zip(zip), m_file(std::move(file)) {}
    Status open(std::string_view name, const struct stat& info, bool folder);

    void* m_zip = nullptr;
    std::filesystem::path m_file;
};

}  // namespace tarvix
