#include "core/package/Packaging.h"

#include <system_error>

#include "core/log/Logger.h"
#include "core/package/Archive.h"
#include "core/package/ArchiveProof.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/Pruning.h"
#include "core/package/ShareArchive.h"
#include "core/package/ShareableFiles.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;

namespace tarvix {
namespace {

/// Leaving out every file of the target is refused before anything is written or pruned.
bool refusesEverythingLeftOut(const Session& session, const ShareChoices& choices)
{
    if (choices.leftOut.empty() || !session.folder) return false;
    const auto shareable = FilesPathDirectory::shareableFiles(*session.folder);
    if (!shareable) return false;
    ShareList list;
    for (const auto& file : shareable->files) list.entries.push_back(file.entry);
    if (!leavesOutEverything(list, choices)) return false;
    Logger::logError("Every file was left out of the archive; the share is refused.");
    return true;
}

/// Proves the written archive holds no hidden value in any form; on a hit names the file in
/// `notHidden` and fails, so the archive is removed before anything is sent.
Status proveHidden(const fs::path& archive, const platform::Identity& identity, const std::string& email,
                   const ShareChoices& choices, const FilesPathDirectory::SharedContent& content,
                   std::optional<std::string>& notHidden)
{
    auto proven = proveArchive(archive, hiddenValues(identity, choices.words), email, content.placeholders);
    if (!proven) return proven.status();
    if (!*proven) return {};
    const ProofHit& hit = **proven;
    const auto path = content.pathOfEntry.find(hit.entry);
    notHidden = path == content.pathOfEntry.end() ? hit.entry : path->second;
    Logger::logError("A hidden value (" + hit.kind + ") is still in " +
                     (hit.inName ? "the name of an entry" : hit.entry) + "; the share is refused and nothing is sent.");
    return Failure{"A hidden value is still in the archive."};
}

/// The packaging itself: the record, the pruning and the archive made; what could not be hidden
/// goes to `packaged.couldNotHide`, a file the proof refused to `packaged.notHidden`.
ArchiveOutcome package(const platform::Folders& folders, const Session& session, const std::string& email,
                       const std::string& feedback, const ShareChoices& choices, Packaged& packaged)
{
    if (refusesEverythingLeftOut(session, choices)) return ArchiveRefusal::everythingLeftOut;
    // Without its record the archive still carries the logs support asked for.
    tarvix::CreateUserDetailContent(folders, session, email, feedback, choices.hideIdentity).absorb();
    // Files pruning could not remove would be sent although they are not of an allowed kind.
    if (!FilesPathDirectory::removeFilesFromDirectoryRecursively(
            session.folder ? session.folder->string() : std::string(), UtilityFunctions::allowedExtensions))
        return ArchiveRefusal::notBuilt;
    FilesPathDirectory::ArchiveWriting write;  // zip over the session, unless the user chose otherwise
    bool nothingSent = false;
    if (!choices.changesNothing())
        write = [&](const fs::path& archive) -> Status {
            const auto identity =
                choices.hideIdentity ? folders.identity.value_or(platform::identityFromSystem()) : platform::Identity{};
            auto content = FilesPathDirectory::writeShareArchive(session, choices, identity, email, archive);
            if (!content) return content.status();
            packaged.couldNotHide = std::move(content->couldNotHide);
            nothingSent = content->targetFiles > 0 && content->sentFiles == 0;
            if (nothingSent) {
                Logger::logError("Every file was left out of the archive; the share is refused.");
                return Failure{"Every file was left out."};
            }
            if (!choices.hideIdentity) return {};
            return proveHidden(archive, identity, email, choices, *content, packaged.notHidden);
        };
    auto archive = FilesPathDirectory::CompressOutputDirectory(session, write);
    if (!archive && nothingSent) return ArchiveRefusal::everythingLeftOut;
    if (!archive && packaged.notHidden) return ArchiveRefusal::notHidden;
    if (!archive) return ArchiveRefusal::notBuilt;
    return std::move(archive).value();
}

}  // namespace

Packaged archiveForUpload(const platform::Folders& folders, const Session& session, bool package,
                          const std::string& email, const std::string& feedback, const ShareChoices& choices)
{
    Packaged packaged;
    packaged.archive = session.archive;
    if (package) {
        auto made = tarvix::package(folders, session, email, feedback, choices, packaged);
        if (!made) {
            packaged.upload = made.error();
            return packaged;
        }
        packaged.archive = std::move(made).value();
    }
    // Only an archive of this session's own folder is sent.
    std::error_code error;
    const auto& archive = packaged.archive;
    if (!archive || !session.folder || archive->parent_path() != *session.folder ||
        !fs::is_regular_file(*archive, error))
        packaged.upload = ArchiveRefusal::missing;
    else if (!FilesPathDirectory::isFileSizeValid(*archive))
        packaged.upload = ArchiveRefusal::tooLarge;
    else
        packaged.upload = *archive;
    return packaged;
}

}  // namespace tarvix
