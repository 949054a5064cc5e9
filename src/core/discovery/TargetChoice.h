#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tarvix {

/// What the start of a session found to troubleshoot.
struct TargetChoice {
    enum class Outcome {
        found,    ///< exactly one edition runs, or none runs and one is installed
        several,  ///< both editions run: the user was asked to leave one
        none,     ///< nothing runs and nothing is installed: the user was told
    };
    Outcome outcome = Outcome::none;
    /// The editions' bundle identifiers (ScrivoRunningInstance): those running, or the installed
    /// edition chosen when none runs.
    std::vector<std::string> runningInstance;
    /// The installed bundle the flavour was read from, when none runs.
    std::optional<std::filesystem::path> installation;
    /// Decimal process id of the last edition matched running (ProcessId); empty when none runs.
    std::string processId;
    /// "Trunk", "Beta" or "QX" (flavour), of the last edition matched or the installation.
    std::string flavour;
    /// "Scrivo" or "Glance" (scrivoOrGlance), after the first of runningInstance.
    std::string edition = "Glance";
};

/// A running edition wins over an installation, the full edition over the free one. Logs as the
/// start flow does and shows the alert of a refusal. The flavour stays `flavour` where no bundle
/// version can be read.
TargetChoice chooseTarget(const platform::Folders& folders, platform::UserInterface& ui, std::string flavour);

}  // namespace tarvix
