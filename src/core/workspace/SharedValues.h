#pragma once

#include <array>
#include <string>

/// The process-wide constants of the system: the run identifier and the fixed lists. Everything a
/// session finds out travels with the session instead (Workspace, TargetChoice, Session).
namespace tarvix::UtilityFunctions {

/// This run's identifier: a random UUID in lower case, made on first use, never changed.
const std::string& UniqueId();

inline const std::array<std::string, 2> ScrivoBundleIndentifiers = {"com.norvane.Scrivo.Pro", "com.norvane.Glance"};

inline const std::array<std::string, 14> allowedExtensions = {
    ".pml", ".dmp", ".zip", ".log", ".csv", ".plist", ".xml", ".reg", ".qlmlogcontrolconfig",
    ".txt", ".bat", ".lic", ".tmp", ".json"};

}  // namespace tarvix::UtilityFunctions
