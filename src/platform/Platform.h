#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Identity.h"
#include "platform/UserInterface.h"

namespace tarvix::platform {

/// Where the system keeps things. Built from the real machine in main, or over a
/// sandbox folder in tests; the code that reads it does not know which.
struct Folders {
    std::filesystem::path home;
    /// The user's Library folder (~/Library here).
    std::optional<std::filesystem::path> library;
    /// The user's caches folder ($XDG_CACHE_HOME, else ~/.cache).
    std::optional<std::filesystem::path> caches;
    /// Searched for *.app bundles: each folder and its direct sub-folders, in this order.
    std::vector<std::filesystem::path> applicationFolders;
    /// The system's log folder ("/var/log").
    std::filesystem::path systemLog = "/var/log";
    /// Tarvix's private tools (spindump, system_profiler); listed first on the captures' PATH.
    std::filesystem::path libexec;
    /// Network interfaces (/sys/class/net).
    std::filesystem::path networkInterfaces = "/sys/class/net";
    /// Desktop entries searched by the installed-apps report (XDG data dirs + "/applications").
    std::vector<std::filesystem::path> desktopEntryFolders;
    /// Runs one of Tarvix's tools with administrator rights: argv prefix, {"/usr/bin/pkexec"};
    /// empty: run directly (already root, or a test).
    std::vector<std::string> elevationCommand;
    /// When set, only applications whose bundle lies below this folder count as running, so a
    /// sandbox never sees the instances of another sandbox of the same user. Unset on the real system.
    std::optional<std::filesystem::path> runningApplicationsRoot;
    /// Whose names a share hides; unset: identityFromSystem(), asked when a share hides them.
    std::optional<Identity> identity;
};

/// The platform services of the process: built once in main (or over a sandbox by a test) and
/// handed to what needs them; nothing looks it up.
struct Platform {
    Folders folders;
    /// Never null: a headless one until the window replaces it.
    std::shared_ptr<UserInterface> ui;

    /// The real machine: home from $HOME or the password database, XDG caches, /Applications ...
    /// `libexec` is where Tarvix's own tools lie (found relative to the executable by the caller).
    static Platform fromSystem(const std::filesystem::path& libexec);
    /// Everything under `root` (root/home/Library, root/home/.cache, root/Applications, root/var/log ...),
    /// with no elevation command. Used by tests and the demo.
    static Platform sandbox(const std::filesystem::path& root, const std::filesystem::path& libexec = {});
};

}  // namespace tarvix::platform
