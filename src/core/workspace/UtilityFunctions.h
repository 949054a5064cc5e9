#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/workspace/Guarded.h"

/// Process-wide values every flow reads and writes, and the workspace they describe.
/// Locations are absent until set, never empty.
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

/// Fills the workspace locations and creates a new session folder, "System" and "temp".
bool CreateOutputDirectories();

/// First hardware address + "_" + login name; absent when interfaces cannot be listed.
std::optional<std::string> getUnitMachineString();
/// SHA-512 of the machine text, 128 lower-case hex digits.
std::string getMachineHash();

/// Puts every value back to its launch state (UniqueId excepted). For tests.
void resetSharedValuesForTesting();

}  // namespace UtilityFunctions
