#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "core/package/ShareList.h"
#include "core/workspace/Session.h"
#include "platform/Identity.h"

namespace tarvix::FilesPathDirectory {

/// The copy of the session a share zips when the user changed something in the review.
struct StagedShare {
    std::filesystem::path output;           ///< the staged edition folder, beside a copy of the record
    std::vector<std::string> couldNotHide;  ///< entry paths left out because they could not be read or hidden
};
/// Why there is no staged copy.
enum class StagingRefusal { everythingLeftOut, failed };

/// Every file pruning keeps below the session's output folder, less `choices.leftOut`, copied into
/// "share" in the scratch folder beside the feedback record; with hideIdentity, each through the
/// identity hider (names in paths too) and the placeholder mapping written to
/// tarvix::hiddenNamesFile. The session's own files are never changed. Logs what it leaves out,
/// by name.
std::variant<StagedShare, StagingRefusal> stageShare(const tarvix::Session& session,
                                                     const tarvix::ShareChoices& choices,
                                                     const platform::Identity& identity, const std::string& keptEmail);

}  // namespace tarvix::FilesPathDirectory
