#include "core/package/ShareList.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

#include "core/package/ShareableFiles.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

constexpr std::size_t kSampleFiles = 32;
constexpr std::size_t kSampleBytes = 32 * 1024;
/// zip's local and central headers, their extra fields (time stamps, owner) and descriptor.
constexpr std::uint64_t kPerEntry = 128;
constexpr std::uint64_t kEndOfArchive = 22;

/// Deflated size of `bytes` at zip's default level; absent when zlib fails.
std::optional<std::size_t> deflatedSize(const std::string& bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const std::size_t size = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END) return std::nullopt;
    return size;
}

/// The ratio of a kind's sample: files picked in proportion to their bytes, so the big ones that
/// make up the archive weigh as they will there.
double sampleRatio(const fs::path& sessionFolder, const std::vector<FilesPathDirectory::ShareableFile>& files,
                   ShareEntry::Kind kind)
{
    std::uint64_t total = 0;
    for (const auto& file : files)
        if (file.entry.kind == kind) total += file.entry.size;
    if (total == 0) return 1.0;
    std::uint64_t in = 0, out = 0, before = 0;
    std::size_t next = 0;  // the next sample point, in units of total / kSampleFiles
    for (const auto& file : files) {
        if (file.entry.kind != kind || file.entry.size == 0) continue;
        const std::uint64_t after = before + file.entry.size;
        bool picked = false;
        // Point k lies at (k + 1/2) * total / kSampleFiles.
        while (next < kSampleFiles && (2 * next + 1) * total < 2 * kSampleFiles * after) {
            picked = true;
            ++next;
        }
        before = after;
        if (!picked) continue;
        auto fd = FilesPathDirectory::openShareable(sessionFolder, file.source);
        if (!fd) continue;
        std::string bytes(std::min<std::uint64_t>(file.entry.size, kSampleBytes), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const auto read = platform::readSome(fd->get(), bytes.data() + got, bytes.size() - got);
            if (!read || *read == 0) break;
            got += *read;
        }
        bytes.resize(got);
        if (const auto size = deflatedSize(bytes); size && got > 0) {
            in += got;
            // zip stores a file that does not shrink.
            out += std::min<std::uint64_t>(*size, got);
        }
    }
    return in == 0 ? 1.0 : static_cast<double>(out) / static_cast<double>(in);
}

}  // namespace

Result<ShareList> listShareable(const fs::path& sessionFolder)
{
    auto shareable = FilesPathDirectory::shareableFiles(sessionFolder);
    if (!shareable) return shareable.failure();
    ShareList list;
    for (const auto kind :
         {ShareEntry::Kind::text, ShareEntry::Kind::binaryPlist, ShareEntry::Kind::other, ShareEntry::Kind::compressed})
        list.compressionRatio[static_cast<std::size_t>(kind)] = sampleRatio(sessionFolder, shareable->files, kind);
    for (auto& file : shareable->files) {
        list.totalSize += file.entry.size;
        list.entries.push_back(std::move(file.entry));
    }
    list.folders = std::move(shareable->folders);
    list.estimatedArchiveSize = estimateArchiveSize(list, ShareChoices{});
    return list;
}

std::uint64_t estimateArchiveSize(const ShareList& list, const ShareChoices& choices)
{
    double estimate = kEndOfArchive;
    // The feedback record: a few hundred bytes and its headers.
    estimate += kPerEntry + 2 * 22 + 256;
    for (const std::string& folder : list.folders) estimate += kPerEntry + 2 * (folder.size() + 1);
    for (const ShareEntry& entry : list.entries) {
        if (!isSent(entry, choices)) continue;
        estimate += kPerEntry + 2 * entry.path.size();
        estimate += static_cast<double>(entry.size) * list.compressionRatio[static_cast<std::size_t>(entry.kind)];
    }
    return static_cast<std::uint64_t>(std::llround(estimate));
}

}  // namespace tarvix
