#include "core/package/ShareArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <set>

#include "base/Format.h"
#include "base/PlistDocument.h"
#include "core/log/Logger.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/FilePreview.h"
#include "core/package/IdentityHider.h"
#include "core/package/PlistHiding.h"
#include "core/package/ShareableFiles.h"
#include "core/package/TextEncoding.h"
#include "core/package/ZipWriter.h"
#include "platform/Files.h"

namespace fs = std::filesystem;
using tarvix::Failure;
using tarvix::Status;

namespace tarvix::FilesPathDirectory {
namespace {

constexpr const char* kRecordName = "UserEmailFeedback.json";
constexpr std::size_t kBuffer = 256 * 1024;
/// Hidden files from this size on are deflated at the faster level.
constexpr std::uint64_t kFasterDeflateFrom = 16u << 20;
constexpr int kFasterDeflateLevel = 5;
/// An entry cannot be taken back, so a file that fails halfway restarts the archive without it.
constexpr int kMostRestarts = 3;

/// The buffers of one share, made once: thousands of small files would otherwise pay for clearing
/// fresh ones each time.
struct Buffers {
    std::unique_ptr<char[]> in{new char[kBuffer]};
    std::string out;
};

/// Whose fault a failed entry is: the file's before its entry began (it is left out), the file's
/// after (the archive restarts without it), or the archive's (the share fails).
enum class Fault { none, file, fileHalfway, archive };
struct Added {
    Fault fault = Fault::none;
    Failure failure;
};

/// The whole of an open file, up to `limit` bytes.
tarvix::Result<std::string> readWhole(int from, std::size_t limit, Buffers& buffers)
{
    std::string bytes;
    for (;;) {
        const auto got = platform::readSome(from, buffers.in.get(), kBuffer);
        if (!got) return got.failure();
        if (*got == 0) return bytes;
        if (bytes.size() + *got > limit) return Failure{"the property list is too large to hide"};
        bytes.append(buffers.in.get(), *got);
    }
}

Added addBytes(ZipWriter& zip, const std::string& name, const struct stat& info, std::string_view bytes)
{
    Status written = zip.beginFile(name, info);
    if (written) written = zip.write(bytes);
    if (written) written = zip.endFile();
    if (!written) return {Fault::archive, written.failure()};
    return {};
}

bool looksLikeXmlPlist(std::string_view head)
{
    return head.find("<?xml") < 8 && (head.find("<plist") != head.npos || head.find("<!DOCTYPE plist") != head.npos);
}

/// Streams one open file into the archive as `name`, through `hider` when there is one: a text in
/// its own encoding, any other file with its layout kept.
Added addFile(ZipWriter& zip, int from, const std::string& name, std::string_view head, tarvix::IdentityHider* hider,
              Buffers& buffers)
{
    struct stat info {};
    if (::fstat(from, &info) != 0) return {Fault::file, tarvix::systemFailure(errno)};
    const auto kind = kindOf(head);
    if (hider && (kind == tarvix::ShareEntry::Kind::binaryPlist ||
                  (kind == tarvix::ShareEntry::Kind::text && looksLikeXmlPlist(head)))) {
        const auto bytes = readWhole(from, kPlistSizeLimit, buffers);
        if (!bytes) return {Fault::file, bytes.failure()};
        const auto hidden = hidePlist(*bytes, *hider);
        if (hidden) return addBytes(zip, name, info, *hidden);
        // An XML text that is no property list is hidden as text; one too large to read is not.
        if (kind == tarvix::ShareEntry::Kind::binaryPlist || hidden.failure().errorNumber == EFBIG)
            return {Fault::file, hidden.failure()};
        if (::lseek(from, 0, SEEK_SET) != 0) return {Fault::file, tarvix::systemFailure(errno)};
    }
    // Deflate at zip's level takes most of a large file's time while hiding is cheap: a large
    // hidden file is deflated a little less tightly, at twice the speed.
    const int level = hider && static_cast<std::uint64_t>(info.st_size) >= kFasterDeflateFrom
                          ? kFasterDeflateLevel
                          : ZipWriter::kDefaultLevel;
    if (auto begun = zip.beginFile(name, info, level); !begun) return {Fault::archive, begun.failure()};
    std::string& out = buffers.out;
    out.clear();
    Status written;
    // Replacements come in small pieces; deflate is fed whole buffers.
    const tarvix::IdentityHider::Sink sink = [&](std::string_view piece) {
        out.append(piece);
        if (out.size() >= kBuffer && written) {
            written = zip.write(out);
            out.clear();
        }
    };
    const auto layout = kind == tarvix::ShareEntry::Kind::text ? tarvix::IdentityHider::Layout::text
                                                               : tarvix::IdentityHider::Layout::kept;
    const auto encoding = tarvix::textEncoding(head);
    std::optional<tarvix::Utf16Decoder> decoder;
    std::optional<tarvix::Utf16Encoder> encoder;
    if (hider && layout == tarvix::IdentityHider::Layout::text && encoding != tarvix::TextEncoding::utf8) {
        decoder.emplace(encoding == tarvix::TextEncoding::utf16be);
        encoder.emplace(encoding == tarvix::TextEncoding::utf16be);
    }
    std::string decoded, encoded;
    // A UTF-16 text is hidden as UTF-8 and written back as it was encoded.
    const tarvix::IdentityHider::Sink encode = [&](std::string_view utf8) {
        encoded.clear();
        encoder->feed(utf8, encoded);
        sink(encoded);
    };
    const auto hide = [&](std::string_view bytes) {
        if (!decoder) return hider->feed(bytes, sink, layout);
        decoded.clear();
        decoder->feed(bytes, decoded);
        hider->feed(decoded, encode, layout);
    };
    for (;;) {
        const auto got = platform::readSome(from, buffers.in.get(), kBuffer);
        if (!got) {
            if (hider) hider->finish([](std::string_view) {}, layout);
            return {Fault::fileHalfway, got.failure()};
        }
        if (*got == 0) break;
        if (hider)
            hide(std::string_view(buffers.in.get(), *got));
        else
            sink(std::string_view(buffers.in.get(), *got));
    }
    if (decoder) {
        decoded.clear();
        decoder->finish(decoded);
        hider->feed(decoded, encode, layout);
        hider->finish(encode, layout);
        sink(decoder->leftover());
    } else if (hider) {
        hider->finish(sink, layout);
    }
    if (written) written = zip.write(out);
    if (written) written = zip.endFile();
    if (!written) return {Fault::archive, written.failure()};
    return {};
}

/// The feedback record, its description hidden when there is a hider.
Added addRecord(ZipWriter& zip, int from, tarvix::IdentityHider* hider, Buffers& buffers)
{
    if (!hider) return addFile(zip, from, kRecordName, {}, nullptr, buffers);
    struct stat info {};
    if (::fstat(from, &info) != 0) return {Fault::file, tarvix::systemFailure(errno)};
    std::string text;
    for (;;) {
        const auto got = platform::readSome(from, buffers.in.get(), kBuffer);
        if (!got) return {Fault::file, got.failure()};
        if (*got == 0) break;
        text.append(buffers.in.get(), *got);
    }
    const std::string hidden = tarvix::recordWithHiddenDescription(
        text, [&](std::string_view description) { return hider->hide(description); });
    return addBytes(zip, kRecordName, info, hidden);
}

/// The entry path with every component hidden.
std::string hiddenPath(const std::string& path, tarvix::IdentityHider& hider)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        out += hider.hide(std::string_view(path).substr(start, slash - start));
        if (slash == std::string::npos) return out;
        out += '/';
        start = slash + 1;
    }
}

/// The first bytes of an open file, which is left at its start.
tarvix::Result<std::string> readHead(int from)
{
    std::string head(512, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const auto read = platform::readSome(from, head.data() + got, head.size() - got);
        if (!read) return read.failure();
        if (*read == 0) break;
        got += *read;
    }
    head.resize(got);
    if (::lseek(from, 0, SEEK_SET) != 0) return tarvix::systemFailure(errno);
    return head;
}

Status writeMapping(const fs::path& file, const tarvix::Placeholders& placeholders)
{
    std::string text;
    for (const auto& [placeholder, value] : placeholders.mapping()) text += placeholder + "\t" + value + "\n";
    return platform::writeFileAtomically(file, text, 0600);
}

/// One attempt at the archive: files in `skip` failed halfway in an earlier one.
struct Attempt {
    const fs::path& sessionFolder;
    const std::string& edition;
    const Shareable& shareable;
    const tarvix::ShareChoices& choices;
    tarvix::IdentityHider* hider;
    Buffers buffers;

    std::string entryName(const std::string& path) const { return hider ? hiddenPath(path, *hider) : path; }
    bool inEdition(const std::string& path) const { return path.rfind(edition + "/", 0) == 0; }

    Status addFolders(ZipWriter& zip, std::set<std::string>& names) const
    {
        for (const std::string& folder : shareable.folders) {
            if (folder != edition && !inEdition(folder)) continue;
            struct stat info {};
            if (::lstat((sessionFolder / folder).c_str(), &info) != 0 || !names.insert(entryName(folder)).second)
                continue;
            if (auto added = zip.addFolder(entryName(folder), info); !added) return added;
        }
        return {};
    }

    /// Every file; answers a file that failed halfway in `halfway`.
    Status addFiles(ZipWriter& zip, std::set<std::string>& names, SharedContent& content, bool logLeftOut,
                    const std::set<std::string>& skip, std::optional<std::string>& halfway)
    {
        for (const auto& file : shareable.files) {
            const std::string& path = file.entry.path;
            if (!inEdition(path) || skip.count(path)) continue;
            if (isLeftOut(file.entry, choices.leftOut)) {
                if (logLeftOut) Logger::logInfo("Left out of the archive: " + path);
                continue;
            }
            Added added;
            auto from = openShareable(sessionFolder, file.source);
            const auto head = from ? readHead(from->get()) : tarvix::Result<std::string>(from.failure());
            tarvix::ShareEntry entry = file.entry;
            if (head) entry.kind = kindOf(*head);
            if (!head)
                added = {Fault::file, head.failure()};
            else if (hider && !tarvix::leftOutWhenHiding(entry).empty())
                added = {Fault::file, Failure{std::string(tarvix::leftOutWhenHiding(entry))}};
            else if (!names.insert(entryName(path)).second)
                added = {Fault::file, Failure{"its hidden name is another file's"}};
            else
                added = addFile(zip, from->get(), entryName(path), *head, hider, buffers);
            if (added.fault == Fault::none) {
                ++content.sentFiles;
                content.pathOfEntry[entryName(path)] = path;
                continue;
            }
            if (added.fault == Fault::archive) return added.failure;
            content.couldNotHide.push_back(path);
            Logger::logError("Left out of the archive, it could not be " + std::string(hider ? "hidden" : "read") +
                             ": " + path + " - " + added.failure.message);
            if (added.fault == Fault::fileHalfway) {
                halfway = path;
                return {};
            }
        }
        return {};
    }
};

}  // namespace

tarvix::Result<SharedContent> writeShareArchive(const tarvix::Session& session, const tarvix::ShareChoices& choices,
                                                const platform::Identity& identity, const std::string& keptEmail,
                                                const fs::path& archive)
{
    if (!session.folder || !session.output) return Failure{"The session has no output folder."};
    const fs::path sessionFolder = *session.folder;
    const fs::path outputFolder = session.output->has_filename() ? *session.output : session.output->parent_path();
    const std::string edition = outputFolder.filename().string();
    const auto shareable = shareableFiles(sessionFolder);
    if (!shareable) {
        Logger::logError("Error accessing directory: " + sessionFolder.string() + " - " + shareable.message());
        return shareable.failure();
    }
    tarvix::Placeholders placeholders;
    std::optional<tarvix::IdentityHider> hider;
    if (choices.hideIdentity)
        hider.emplace(tarvix::hiddenValues(identity, choices.words), keptEmail, placeholders, choices.hiderForms);
    Attempt attempt{sessionFolder, edition, *shareable, choices, hider ? &*hider : nullptr, {}};

    SharedContent content;
    for (const auto& file : shareable->files) content.targetFiles += attempt.inEdition(file.entry.path) ? 1 : 0;
    std::set<std::string> skip;
    for (int restarts = 0;; ++restarts) {
        auto zip = ZipWriter::create(archive);
        if (!zip) return zip.failure();
        content.sentFiles = 0;
        content.pathOfEntry.clear();
        std::set<std::string> names;
        std::optional<std::string> halfway;
        if (auto added = attempt.addFolders(*zip, names); !added) return added.failure();
        if (auto added = attempt.addFiles(*zip, names, content, restarts == 0, skip, halfway); !added)
            return added.failure();
        if (halfway) {
            if (restarts == kMostRestarts) return Failure{"Too many files failed while they were read."};
            skip.insert(*halfway);
            continue;  // the unfinished archive goes with its writer
        }
        if (auto record = openShareable(sessionFolder, kRecordName)) {
            const Added added = addRecord(*zip, record->get(), attempt.hider, attempt.buffers);
            if (added.fault != Fault::none) {
                Logger::logError("The feedback record could not be added: " + added.failure.message);
                return added.failure;
            }
        }
        if (auto closed = zip->close(); !closed) return closed.failure();
        break;
    }
    for (const auto& placeholder : placeholders.mapping()) content.placeholders.push_back(placeholder.first);
    if (hider) {
        const fs::path mapping = tarvix::hiddenNamesFile(session);
        if (auto saved = mapping.empty() ? Status(Failure{"no System folder"}) : writeMapping(mapping, placeholders);
            !saved)
            Logger::logError("The hidden names could not be kept: " + saved.message());
        else
            Logger::logInfo(tarvix::format("Names hidden: %@ replacements; the placeholders are kept in %@",
                                           {std::to_string(hider->replacements()), mapping.filename().string()}));
    }
    return content;
}

}  // namespace tarvix::FilesPathDirectory
