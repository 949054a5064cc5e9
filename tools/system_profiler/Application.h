#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace tarvix::system_profiler {

/// A Debian package and its installed version.
struct Package {
    std::string name;
    std::string version;
};

/// One entry of the applications report: an application bundle or a desktop entry.
struct Application {
    enum class Kind { Bundle, DesktopEntry };

    Kind kind = Kind::Bundle;
    std::string name;
    std::filesystem::path location;
    std::optional<std::string> version;
    std::optional<std::string> bundleIdentifier;
    /// The desktop entry's command line.
    std::optional<std::string> command;
    std::optional<time_t> lastModified;
    std::optional<Package> package;
};

/// The file's last modification time; absent when it cannot be read.
std::optional<time_t> modificationTime(const std::filesystem::path& path);

}  // namespace tarvix::system_profiler
