#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace tarvix::logserver {

/// What the server concluded about one request body.
struct BodyCheck {
    bool ok = false;
    std::string problem;  ///< empty when ok
    std::string boundary;
    std::string fileName;
    std::uint64_t bodySize = 0;
    std::uint64_t archiveOffset = 0;
    std::uint64_t archiveSize = 0;
};

/// Streams one request body to DIR/body.bin (never holding it in memory) while checking that it is
/// exactly one multipart file part framed the way the upload frames it:
/// CR LF "--B" CR LF, the two part headers, the file bytes, CR LF "--B--" CR LF.
class Recorder {
public:
    /// `folder` absent: check only, store nothing.
    Recorder(std::optional<std::filesystem::path> folder, std::string contentType,
             std::optional<std::uint64_t> contentLength);
    void append(const char* data, std::size_t size);
    /// Checks the framing; when a folder is set, also extracts the archive into DIR/files/.
    BodyCheck finish();
    /// Ends a refused body: nothing of it is kept.
    void discard();

private:
    std::optional<std::filesystem::path> m_folder;
    std::string m_contentType;
    std::optional<std::uint64_t> m_contentLength;
    std::ofstream m_body;
    std::string m_head;  ///< the first bytes, enough for the part headers
    std::string m_tail;  ///< the last bytes, enough for the closing delimiter
    std::uint64_t m_size = 0;
};

/// Keeps only a plain last name; anything else becomes "archive.bin".
std::string safeFileName(const std::string& name);

}  // namespace tarvix::logserver
