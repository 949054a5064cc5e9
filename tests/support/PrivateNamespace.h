#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace tarvix::test {

/// Names the one test a test program runs when started as a child (see TestMain.cpp).
inline constexpr const char* kChildTest = "TARVIX_TEST_CHILD";

/// The shell command that runs this test program again for `test` alone, a test of a suite named
/// "...Child", with `environment` ("NAME=value ...") added.
inline std::string childCommand(const std::string& test, const std::string& environment = {})
{
    return "env " + shellWord(std::string(kChildTest) + "=" + test) + " " + environment + " " +
           shellWord(std::filesystem::read_symlink("/proc/self/exe"));
}

/// What a child test run inside private namespaces printed and how it ended.
struct NamespaceRun {
    bool available = false;  ///< whether `unshare` could make the namespaces at all
    int exitStatus = -1;
    std::string output;  ///< standard output and error
    /// True when the run passed and actually ran the test.
    bool passed() const { return available && exitStatus == 0 && output.find("[  PASSED  ] 1 test.") != output.npos; }
};

/// Runs the child test `test` under `unshare FLAGS` (e.g. {"-n"} for a network namespace whose
/// only interface is down, {"-m"} for private mounts).
inline NamespaceRun runSelfInNamespace(const std::vector<std::string>& unshareFlags, const std::string& test)
{
    const std::string unshare = "unshare " + commandLine(unshareFlags);
    NamespaceRun run;
    runCommand(unshare + " true 2>/dev/null", &run.exitStatus);
    run.available = run.exitStatus == 0;
    if (run.available) run.output = runCommand(unshare + " " + childCommand(test) + " 2>&1", &run.exitStatus);
    return run;
}

}  // namespace tarvix::test
