#include "Recorder.h"

#include <algorithm>
#include <vector>

namespace tarvix::logserver {
namespace {

constexpr std::size_t kHeadLimit = 64 * 1024;
constexpr std::size_t kTailLimit = 256;
const std::string kBoundaryPrefix = "multipart/form-data; boundary=";

bool copyRange(const std::filesystem::path& from, std::uint64_t offset, std::uint64_t size,
               const std::filesystem::path& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!in || !out) return false;
    in.seekg(static_cast<std::streamoff>(offset));
    std::vector<char> buffer(1 << 20);
    while (size > 0 && in) {
        const auto chunk = static_cast<std::streamsize>(std::min<std::uint64_t>(size, buffer.size()));
        in.read(buffer.data(), chunk);
        out.write(buffer.data(), in.gcount());
        size -= static_cast<std::uint64_t>(in.gcount());
    }
    return size == 0 && static_cast<bool>(out);
}

}  // namespace

std::string safeFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return "archive.bin";
    return name;
}

Recorder::Recorder(std::optional<std::filesystem::path> folder, std::string contentType,
                   std::optional<std::uint64_t> contentLength)
    : m_folder(std::move(folder)), m_contentType(std::move(contentType)), m_contentLength(contentLength)
{
    if (m_folder) m_body.open(*m_folder / "body.bin", std::ios::binary | std::ios::trunc);
}

void Recorder::append(const char* data, std::size_t size)
{
    if (m_body.is_open()) m_body.write(data, static_cast<std::streamsize>(size));
    if (m_head.size() < kHeadLimit) m_head.append(data, std::min(size, kHeadLimit - m_head.size()));
    if (size >= kTailLimit) {
        m_tail.assign(data + size - kTailLimit, kTailLimit);
    } else {
        m_tail.append(data, size);
        if (m_tail.size() > kTailLimit) m_tail.erase(0, m_tail.size() - kTailLimit);
    }
    m_size += size;
}

BodyCheck Recorder::finish()
{
    BodyCheck check;
    check.bodySize = m_size;
    if (m_body.is_open()) m_body.close();
    auto fail = [&check](std::string problem) {
        check.problem = std::move(problem);
        return check;
    };

    if (m_contentType.rfind(kBoundaryPrefix, 0) != 0)
        return fail("content type is not multipart/form-data with a boundary");
    check.boundary = m_contentType.substr(kBoundaryPrefix.size());
    if (check.boundary.empty()) return fail("empty boundary");
    if (!m_contentLength) return fail("no Content-Length");
    if (*m_contentLength != m_size)
        return fail("Content-Length " + std::to_string(*m_contentLength) + " but " + std::to_string(m_size) +
                    " body bytes");

    const std::string opening = "\r\n--" + check.boundary + "\r\n";
    const std::string disposition = "Content-Disposition: form-data; name=\"file\"; filename=\"";
    if (m_head.rfind(opening + disposition, 0) != 0)
        return fail("body does not open with CR LF, the delimiter and the file part's disposition");
    const std::size_t nameStart = opening.size() + disposition.size();
    const std::size_t nameEnd = m_head.find("\"\r\n", nameStart);
    if (nameEnd == std::string::npos) return fail("unterminated file name");
    check.fileName = m_head.substr(nameStart, nameEnd - nameStart);
    const std::string partType = "Content-Type: application/octet-stream\r\n\r\n";
    if (m_head.compare(nameEnd + 3, partType.size(), partType) != 0)
        return fail("part content type is not application/octet-stream followed by a blank line");
    check.archiveOffset = nameEnd + 3 + partType.size();

    const std::string closing = "\r\n--" + check.boundary + "--\r\n";
    if (m_size < check.archiveOffset + closing.size() || m_tail.size() < closing.size() ||
        m_tail.compare(m_tail.size() - closing.size(), closing.size(), closing) != 0)
        return fail("body does not end with CR LF, the closing delimiter and CR LF");
    check.archiveSize = m_size - check.archiveOffset - closing.size();

    if (m_folder) {
        // Its own sub-folder, so no file name can clash with the request's bookkeeping files.
        std::error_code ec;
        std::filesystem::create_directories(*m_folder / "files", ec);
        if (ec || !copyRange(*m_folder / "body.bin", check.archiveOffset, check.archiveSize,
                             *m_folder / "files" / safeFileName(check.fileName)))
            return fail("cannot store the archive");
    }
    check.ok = true;
    return check;
}

void Recorder::discard()
{
    if (m_body.is_open()) m_body.close();
    std::error_code ec;
    if (m_folder) std::filesystem::remove(*m_folder / "body.bin", ec);
}

}  // namespace tarvix::logserver
