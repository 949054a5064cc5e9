#pragma once

#include <filesystem>
#include <string>
#include <vector>

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

/// What a share's packaging answers.
struct Packaged {
    /// The session's archive from now on (its compressedLogURL): the one made now, else the one
    /// it had; also when the size gate refuses it.
    Session::Location archive;
    /// Files left out because they could not be read or hidden (paths as the review lists them).
    std::vector<std::string> couldNotHide;
    /// The file (path as the review lists it) where the archive's proof still found a hidden
    /// value, when it refused the share.
    std::optional<std::string> notHidden;
    ArchiveOutcome upload = ArchiveRefusal::missing;
};

/// A share's packaging. With `package` (the session's first share) the feedback record, the
/// pruning and the archive; on every share the size gate. `choices` (only when packaging) leave
/// files out and hide the user's identity on the way into the archive; the session's files stay
/// as they are until the archive replaces them. A hidden archive is proven before it counts: where
/// a hidden value is still found, the share is refused.
Packaged archiveForUpload(const platform::Folders& folders, const Session& session, bool package,
                          const std::string& email, const std::string& feedback, const ShareChoices& choices = {});

}  // namespace tarvix
