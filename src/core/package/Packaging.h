#pragma once

#include <filesystem>
#include <string>

#include "base/Status.h"
#include "core/package/ShareList.h"
#include "core/workspace/Session.h"
#include "platform/Platform.h"

namespace tarvix {

/// Why a share has no archive to upload.
enum class ArchiveRefusal {
    notBuilt,           ///< this share's packaging failed
    missing,            ///< the session has no archive of its own (its packaging failed earlier)
    tooLarge,           ///< the archive fails the size gate
    everythingLeftOut,  ///< the choices leave out every file of the target
    notHidden,          ///< the hidden archive still holds a hidden value (session.notHidden names the file)
};

/// The archive to upload, or why there is none.
using ArchiveOutcome = Result<std::filesystem::path, ArchiveRefusal>;

/// A share's packaging. With `package` (the session's first share) the feedback record, the
/// pruning and the archive, which session.archive then names; on every share the size gate.
/// `choices` (only when packaging) leave files out and hide the user's identity on the way into
/// the archive; the session's files stay as they are until the archive replaces them. A hidden
/// archive is proven before it counts: where a hidden value is still found, the share is refused.
ArchiveOutcome archiveForUpload(const platform::Folders& folders, Session& session, bool package,
                                const std::string& email, const std::string& feedback,
                                const ShareChoices& choices = {});

}  // namespace tarvix
