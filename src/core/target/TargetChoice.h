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
    /// The editions' bundle identifiers as ScrivoRunningInstance holds them: those running, or
    /// the installed edition chosen when none runs.
    std::vector<std::string> runningInstance;
    /// The installed bundle the flavour was read from, when none runs.
    std::optional<std::filesystem::path> installation;
};

/// A running edition wins over an installation, the full edition over the free one. Leaves the
/// shared values and the log as the start flow does (ScrivoRunningInstance, ProcessId, flavour,
/// the installed lists) and shows the alert of a refusal. ProcessId is empty when nothing runs.
TargetChoice chooseTarget(const platform::Folders& folders, platform::UserInterface& ui);

}  // namespace tarvix
