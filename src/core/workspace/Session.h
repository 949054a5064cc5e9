#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/workspace/Workspace.h"
#include "platform/TreeCopy.h"

namespace tarvix::PListOperations {
struct LoggingSwitchRecord;
}

namespace tarvix {

/// One monitoring session as its start left it: where its material goes and what it targets.
/// Made by the start flow from what the workspace step and the target choice answered, held by
/// the window's flows and handed to the capture, packaging and upload steps.
struct Session {
    using Location = std::optional<std::filesystem::path>;

    /// The user's Library folder and its "Preferences" (userLibraryURL, userLibraryPrefURL).
    Location library{};
    Location preferences{};
    /// The workspace's "System" folder (tempSystemURL): the logging switch keeps its record there.
    Location system{};
    /// The session folder (tempTimeStampedURL) and the scratch folder the archive is built in
    /// (temptempURL).
    Location folder{};
    Location scratch{};
    /// The edition folder the material is collected into (tempOutputURL once the edition is chosen).
    Location output{};

    /// The target edition's bundle identifier (the first of ScrivoRunningInstance).
    std::optional<std::string> bundleIdentifier{};
    /// "Scrivo" or "Glance" (scrivoOrGlance).
    std::optional<std::string> edition{};
    /// "Trunk", "Beta" or "QX" (flavour).
    std::string flavour = "Trunk";
    /// Decimal process id of the running target (ProcessId); empty when none ran at the start.
    std::string processId{};
    /// The logging switch the start turned on (preference file, flavour, the user's earlier
    /// entry); null when it turned none on. Only this session's revert acts on it.
    std::shared_ptr<const PListOperations::LoggingSwitchRecord> loggingSwitch{};

    /// The finished archive (compressedLogURL), once this session's packaging made it.
    Location archive{};

    /// What the collection may still copy; the capture run starts one when there is none.
    std::shared_ptr<platform::CopyBudget> collectionBudget{};

    /// Files the packaging left out because they could not be read or hidden (paths as the
    /// review lists them), beside those the user left out.
    std::vector<std::string> couldNotHide{};
    /// The file (path as the review lists it) where the archive's proof still found a hidden
    /// value, when it refused the share.
    std::optional<std::string> notHidden{};
};

/// A session in `workspace`'s folders, its target not chosen yet.
Session sessionIn(const UtilityFunctions::Workspace& workspace);

}  // namespace tarvix
