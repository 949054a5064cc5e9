#include "support/PrivateNamespace.h"

#include <filesystem>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace tarvix::test {

bool NamespaceRun::passed() const
{
    return available && exitStatus == 0 && output.find("[  PASSED  ] 0 tests") == std::string::npos &&
           output.find("[  PASSED  ]") != std::string::npos;
}

NamespaceRun runSelfInNamespace(const std::vector<std::string>& unshareFlags, const std::string& gtestFilter)
{
    std::string flags;
    for (const auto& flag : unshareFlags) flags += " " + shellWord(flag);
    NamespaceRun run;
    int status = -1;
    runCommand("unshare" + flags + " true 2>/dev/null", &status);
    run.available = status == 0;
    if (!run.available) return run;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    run.output = runCommand("unshare" + flags + " " + shellWord(self.string()) + " " +
                                shellWord("--gtest_filter=" + gtestFilter) + " --gtest_also_run_disabled_tests 2>&1",
                            &run.exitStatus);
    return run;
}

}  // namespace tarvix::test
