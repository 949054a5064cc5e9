#include "core/package/ShareStaging.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <set>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "core/package/FilePreview.h"
#include "core/package/IdentityHider.h"
#include "core/package/PlistHiding.h"
#include "core/package/Pruning.h"
#include "core/package/ShareableFiles.h"
#include "platform/Files.h"

namespace fs = std::filesystem;
using tarvix::Failure;
using tarvix::Status;

namespace tarvix::FilesPathDirectory {
namespace {

constexpr const char* kRecordName = "UserEmailFeedback.json";
constexpr std::size_t kBuffer = 256 * 1024;
/// A binary property list is hidden in memory; a larger one is left out.
constexpr std::size_t kPlistLimit = 64u << 20;

platform::FileDescriptor createPrivate(const fs::path& file)
{
    return platform::FileDescriptor(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
}

/// Copies or hides one open file into `to`. A file that is not hidden is linked when it can be:
/// the scratch folder lies on the workspace's file system, and the copy would double the share's I/O.
/// The copy's buffers, made once per share: thousands of small files would otherwise pay for
/// clearing fresh ones each time.
struct CopyBuffers {
    std::unique_ptr<char[]> in{new char[kBuffer]};
    std::string out;
};

Status writeCopy(int from, const fs::path& to, tarvix::ShareEntry::Kind kind, tarvix::IdentityHider* hider,
                 CopyBuffers& buffers)
{
    if (!hider && ::linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(from)).c_str(), AT_FDCWD, to.c_str(),
                           AT_SYMLINK_FOLLOW) == 0)
        return {};
    platform::FileDescriptor target = createPrivate(to);
    if (!target) return tarvix::systemFailure(errno, "the copy");
    if (hider && kind == tarvix::ShareEntry::Kind::binaryPlist) {
        std::string bytes;
        for (;;) {
            const auto got = platform::readSome(from, buffers.in.get(), kBuffer);
            if (!got) return got.failure();
            if (*got == 0) break;
            if (bytes.size() + *got > kPlistLimit) return Failure{"the property list is too large to hide"};
            bytes.append(buffers.in.get(), *got);
        }
        const auto hidden = hidePlist(bytes, *hider);
        if (!hidden) return hidden.failure();
        if (auto written = platform::writeAll(target.get(), *hidden); !written) return written;
        return target.close();
    }
    std::string& out = buffers.out;
    out.clear();
    Status writeStatus;
    const tarvix::IdentityHider::Sink sink = [&](std::string_view piece) {
        out.append(piece);
        if (out.size() >= kBuffer && writeStatus) {
            writeStatus = platform::writeAll(target.get(), out);
            out.clear();
        }
    };
    for (;;) {
        const auto got = platform::readSome(from, buffers.in.get(), kBuffer);
        if (!got) return got.failure();
        if (*got == 0) break;
        if (hider)
            hider->feed(std::string_view(buffers.in.get(), *got), sink);
        else
            sink(std::string_view(buffers.in.get(), *got));
    }
    if (hider) hider->finish(sink);
    if (writeStatus) writeStatus = platform::writeAll(target.get(), out);
    if (!writeStatus) return writeStatus;
    return target.close();
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

bool isZip(const std::string& path)
{
    return path.size() >= 4 &&
           (path.compare(path.size() - 4, 4, ".zip") == 0 || path.compare(path.size() - 4, 4, ".ZIP") == 0);
}

Status writeMapping(const fs::path& file, const tarvix::Placeholders& placeholders)
{
    std::string text;
    for (const auto& [placeholder, value] : placeholders.mapping()) text += placeholder + "\t" + value + "\n";
    return platform::writeFileAtomically(file, text, 0600);
}

}  // namespace

std::variant<StagedShare, StagingRefusal> stageShare(const tarvix::Session& session,
                                                     const tarvix::ShareChoices& choices,
                                                     const platform::Identity& identity, const std::string& keptEmail)
{
    if (!session.folder || !session.scratch || !session.output) return StagingRefusal::failed;
    const fs::path sessionFolder = *session.folder;
    const fs::path outputFolder = session.output->has_filename() ? *session.output : session.output->parent_path();
    const std::string edition = outputFolder.filename().string();
    const auto shareable = shareableFiles(sessionFolder);
    if (!shareable) {
        Logger::logError("Error accessing directory: " + sessionFolder.string() + " - " + shareable.message());
        return StagingRefusal::failed;
    }
    const auto inEdition = [&](const std::string& path) { return path.rfind(edition + "/", 0) == 0; };
    std::size_t targetFiles = 0, kept = 0;
    for (const auto& file : shareable->files) {
        if (!inEdition(file.entry.path)) continue;
        ++targetFiles;
        if (!choices.leftOut.count(file.entry.path)) ++kept;
    }
    if (targetFiles > 0 && kept == 0) {
        Logger::logError("Every file was left out of the archive; the share is refused.");
        return StagingRefusal::everythingLeftOut;
    }

    const fs::path stage = *session.scratch / "share";
    std::error_code error;
    fs::remove_all(stage, error);  // an earlier, failed attempt
    tarvix::Placeholders placeholders;
    std::optional<tarvix::IdentityHider> hider;
    if (choices.hideIdentity) hider.emplace(identity, keptEmail, placeholders);
    const auto stagedPath = [&](const std::string& path) { return stage / (hider ? hiddenPath(path, *hider) : path); };

    StagedShare staged{stagedPath(edition), {}};
    if (auto made = platform::createPrivateFolders(staged.output); !made) {
        Logger::logError("The share's copy could not be made: " + made.message());
        return StagingRefusal::failed;
    }
    for (const std::string& folder : shareable->folders)
        if (inEdition(folder)) fs::create_directories(stagedPath(folder), error);
    std::set<fs::path> written;
    CopyBuffers buffers;
    for (const auto& file : shareable->files) {
        const std::string& path = file.entry.path;
        if (!inEdition(path)) continue;
        if (choices.leftOut.count(path)) {
            Logger::logInfo("Left out of the archive: " + path);
            continue;
        }
        const fs::path to = stagedPath(path);
        Status copied;
        if (hider && isZip(path))
            copied = Failure{"a compressed archive cannot be searched for names"};
        else if (!written.insert(to).second)
            copied = Failure{"its hidden name is another file's"};
        else if (auto from = openShareable(sessionFolder, file.source); !from)
            copied = from.status();
        else if (const auto kind = kindOfFile(from->get()); ::lseek(from->get(), 0, SEEK_SET) != 0)
            copied = tarvix::systemFailure(errno);
        else
            copied = writeCopy(from->get(), to, kind, hider ? &*hider : nullptr, buffers);
        if (copied) continue;
        fs::remove(to, error);
        staged.couldNotHide.push_back(path);
        Logger::logError("Left out of the archive, it could not be " + std::string(hider ? "hidden" : "copied") + ": " +
                         path + " - " + copied.message());
    }
    if (targetFiles > 0 && staged.couldNotHide.size() == kept) return StagingRefusal::everythingLeftOut;

    if (auto record = openShareable(sessionFolder, kRecordName)) {
        if (auto copied =
                writeCopy(record->get(), stage / kRecordName, tarvix::ShareEntry::Kind::other, nullptr, buffers);
            !copied) {
            Logger::logError("The feedback record could not be copied: " + copied.message());
            return StagingRefusal::failed;
        }
    }
    if (hider) {
        const fs::path mapping = tarvix::hiddenNamesFile(session);
        if (auto saved = mapping.empty() ? Status(Failure{"no System folder"}) : writeMapping(mapping, placeholders);
            !saved)
            Logger::logError("The hidden names could not be kept: " + saved.message());
        else
            Logger::logInfo(tarvix::format("Names hidden: %@ replacements; the placeholders are kept in %@",
                                           {std::to_string(hider->replacements()), mapping.filename().string()}));
    }
    return staged;
}

}  // namespace tarvix::FilesPathDirectory
