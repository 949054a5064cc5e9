#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/base/Guarded.h"

/// The process-wide values of the system: the workspace locations, the run identifier, the
/// target's facts and the flags. Written where the system writes them; read by the flows when a
/// session starts, never by the steps below them. Locations are absent until set, never empty.
namespace UtilityFunctions {

using Location = std::optional<std::filesystem::path>;

extern tarvix::Guarded<Location> userLibraryURL;
extern tarvix::Guarded<Location> userLibraryPrefURL;
extern tarvix::Guarded<Location> tempDirURL;
extern tarvix::Guarded<Location> tempSystemURL;
extern tarvix::Guarded<Location> tempTimeStampedURL;
extern tarvix::Guarded<Location> tempOutputURL;
extern tarvix::Guarded<Location> temptempURL;
extern tarvix::Guarded<Location> compressedLogURL;

/// This run's identifier: a random UUID in lower case, made on first use, never changed.
const std::string& UniqueId();

extern tarvix::Guarded<std::string> ProcessId;
extern tarvix::Guarded<std::string> flavour;
extern tarvix::Guarded<std::optional<std::string>> scrivoOrGlance;
extern tarvix::Guarded<std::vector<std::string>> ScrivoRunningInstance;
extern tarvix::Guarded<std::vector<std::filesystem::path>> scrivoInstalledUrls;
extern tarvix::Guarded<std::vector<std::filesystem::path>> glanceInstalledUrls;

inline const std::array<std::string, 2> ScrivoBundleIndentifiers = {"com.norvane.Scrivo.Pro", "com.norvane.Glance"};

inline const std::array<std::string, 14> allowedExtensions = {
    ".pml", ".dmp", ".zip", ".log", ".csv", ".plist", ".xml", ".reg", ".qlmlogcontrolconfig",
    ".txt", ".bat", ".lic", ".tmp", ".json"};

extern std::atomic<bool> ShareButtonPressed;
extern std::atomic<bool> isOutputDirectoryCreated;

}  // namespace UtilityFunctions
