#include "core/package/Packaging.h"

#include <system_error>

#include "core/log/Logger.h"
#include "core/package/Archive.h"
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

/// The packaging itself: the record, the pruning and the archive made; what could not be hidden
/// goes to `couldNotHide`.
ArchiveOutcome package(const platform::Folders& folders, const Session& session, const std::string& email,
                       const std::string& feedback, const ShareChoices& choices, std::vector<std::string>& couldNotHide)
{
    if (refusesEverythingLeftOut(session, choices)) return ArchiveRefusal::everythingLeftOut;
    // Without its record the archive still carries the logs support asked for.
    tarvix::CreateUserDetailContent(folders, session, email, feedback).absorb();
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
            couldNotHide = std::move(content->couldNotHide);
            nothingSent = content->targetFiles > 0 && content->sentFiles == 0;
            if (!nothingSent) return {};
            Logger::logError("Every file was left out of the archive; the share is refused.");
            return Failure{"Every file was left out."};
        };
    auto archive = FilesPathDirectory::CompressOutputDirectory(session, write);
    if (!archive && nothingSent) return ArchiveRefusal::everythingLeftOut;
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
        auto made = tarvix::package(folders, session, email, feedback, choices, packaged.couldNotHide);
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
