#pragma once

#include <string>
#include <vector>

namespace tarvix::test {

/// What a run of this test program inside private namespaces printed and how it ended.
struct NamespaceRun {
    bool available = false;  ///< whether `unshare` could make the namespaces at all
    int exitStatus = -1;
    std::string output;  ///< standard output and error
    /// True when the run passed and actually ran at least one test.
    bool passed() const;
};

/// Runs this very test program again under `unshare FLAGS` (e.g. {"-n"} for a network namespace
/// whose only interface is down, {"-m"} for private mounts), limited to `gtestFilter` with
/// disabled tests included, so a test named DISABLED_... runs only there.
NamespaceRun runSelfInNamespace(const std::vector<std::string>& unshareFlags, const std::string& gtestFilter);

}  // namespace tarvix::test
