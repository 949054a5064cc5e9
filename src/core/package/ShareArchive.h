#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/Status.h"
#include "core/package/ShareList.h"
#include "core/workspace/Session.h"
#include "platform/Identity.h"

namespace tarvix::FilesPathDirectory {

/// What a share written from the user's choices holds.
struct SharedContent {
    std::size_t targetFiles = 0;                     ///< files of the target pruning keeps
    std::size_t sentFiles = 0;                       ///< of those, the ones in the archive
    std::vector<std::string> couldNotHide;           ///< entry paths left out because they could not be read or hidden
    std::map<std::string, std::string> pathOfEntry;  ///< an entry's name in the archive → its path in the review
    std::vector<std::string> placeholders;           ///< what hiding wrote in place of the values
};

/// Writes `archive` (which must not exist) from every file pruning keeps below the session's output
/// folder, less `choices.leftOut`, and the feedback record; with hideIdentity each file and the
/// record's description go through the identity hider on its way in (names in paths too), hiding
/// hiddenValues(identity, choices.words), and the placeholder mapping is written to
/// tarvix::hiddenNamesFile. Nothing is copied first and the session's files are never changed. A
/// file that cannot be read or hidden is left out and logged; what the user left out is logged by
/// name.
tarvix::Result<SharedContent> writeShareArchive(const tarvix::Session& session, const tarvix::ShareChoices& choices,
                                                const platform::Identity& identity, const std::string& keptEmail,
                                                const std::filesystem::path& archive);

}  // namespace tarvix::FilesPathDirectory
