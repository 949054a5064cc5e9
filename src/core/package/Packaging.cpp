#include "core/package/Packaging.h"

#include <system_error>

#include "core/package/Archive.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/Pruning.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;

namespace tarvix {

ArchiveOutcome archiveForUpload(const platform::Folders& folders, Session& session, bool package,
                                const std::string& email, const std::string& feedback)
{
    if (package) {
        UtilityFunctions::CreateUserDetailContent(folders, session, email, feedback);
        FilesPathDirectory::removeFilesFromDirectoryRecursively(
            session.folder ? session.folder->string() : std::string(), UtilityFunctions::allowedExtensions);
        auto archive = FilesPathDirectory::CompressOutputDirectory(session);
        if (!archive) return ArchiveRefusal::notBuilt;
        session.archive = std::move(archive).value();
    }
    // Only an archive of this session's own folder is sent.
    std::error_code error;
    const auto& archive = session.archive;
    if (!archive || !session.folder || archive->parent_path() != *session.folder ||
        !fs::is_regular_file(*archive, error))
        return ArchiveRefusal::missing;
    if (!FilesPathDirectory::isFileSizeValid(*archive)) return ArchiveRefusal::tooLarge;
    return *archive;
}

}  // namespace tarvix
