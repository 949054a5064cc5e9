#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "sample_target/RunningInstance.h"

/// A sample installation of the target inside a sandbox home, laid out as Platform::sandbox(root)
/// expects it (root/home/Library, root/Applications, root/var/log ...). Used by tests and the demo.
/// Failures throw std::runtime_error: a half-made sample is never useful.
namespace tarvix::sample {

enum class Edition { Scrivo, Glance };
enum class PlistFormat { Binary, Xml };

/// "com.norvane.Scrivo.Pro" or "com.norvane.Glance".
std::string bundleIdentifier(Edition edition);
/// "Scrivo" or "Glance": the bundle's name and the edition folder of the target's logs.
std::string editionName(Edition edition);
/// The release channel a version belongs to (first digit of its last component: 1 Beta, 2 QX).
std::string flavourForVersion(const std::string& version);
/// The built scrivo-sample program.
std::filesystem::path defaultExecutable();

struct Options {
    bool scrivo = true;
    bool glance = false;
    std::string scrivoVersion = "4.1.20";
    std::string glanceVersion = "4.1.20";
    PlistFormat preferencesFormat = PlistFormat::Binary;
    /// Give the flavour dictionary a "ScrivoLogging" entry of the user's own, as a user who
    /// switched logging on by hand has.
    bool userLoggingEntry = false;
    std::filesystem::path executable = defaultExecutable();
};

struct Layout {
    std::filesystem::path root;
    std::filesystem::path home;          ///< root/home
    std::filesystem::path library;       ///< root/home/Library
    std::filesystem::path preferences;   ///< root/home/Library/Preferences
    std::filesystem::path applications;  ///< root/Applications
    std::filesystem::path systemLog;     ///< root/var/log
    std::filesystem::path scrivoBundle;  ///< empty when not installed
    std::filesystem::path glanceBundle;  ///< empty when not installed
};

/// Lays out the whole sample: bundles, preference files, the target's logs, licensing, updater
/// and in-product-message logs, and the stand-in system log folder.
Layout install(const std::filesystem::path& root, const Options& options = {});

/// One bundle NAME.app in `folder`: Contents/Info.plist and a copy of `executable` in
/// Contents/MacOS/ (a copy, so /proc/PID/exe of a started instance lies inside the bundle).
std::filesystem::path writeBundle(const std::filesystem::path& folder, Edition edition, const std::string& version,
                                  const std::filesystem::path& executable = defaultExecutable());

/// The edition's preference file in `preferences`: a dictionary per flavour, each with
/// unrelated keys of every property-list type, and unrelated root keys.
std::filesystem::path writePreferences(const std::filesystem::path& preferences, Edition edition, PlistFormat format,
                                       bool userLoggingEntry = false);

}  // namespace tarvix::sample
