#include "platform/ShellScript.h"

#include <gtest/gtest.h>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;

TEST(ShellScript, TarvixToolsComeFirstOnThePath)
{
    test::Sandbox sandbox;
    platform::Platform platform = sandbox.platform();
    platform.folders.libexec = sandbox.root() / "libexec";
    // Shadows the system's program of the same name.
    test::writeExecutable(platform.folders.libexec / "uname", "#!/bin/sh\necho \"tarvix uname $*\"\n");

    const fs::path out = sandbox.root() / "out.txt";
    EXPECT_EQ(platform::describe(platform::doShellScript(platform, "uname -a > " + test::shellWord(out.string()))),
              "nil");
    EXPECT_EQ(test::readFile(out), "tarvix uname -a\n");

    platform.folders.libexec.clear();
    EXPECT_EQ(platform::describe(platform::doShellScript(platform, "uname > " + test::shellWord(out.string()))), "nil");
    EXPECT_EQ(test::readFile(out), "Linux\n");
}

TEST(ShellScript, FailuresCarryTheExitStatusAndStandardError)
{
    test::Sandbox sandbox;
    const auto& platform = sandbox.platform();

    EXPECT_EQ(platform::describe(platform::doShellScript(
                  platform, "echo partial; echo 'first line' >&2; echo 'sec\"ond' >&2; exit 3")),
              "{NSAppleScriptErrorMessage = \"first line\\nsec\\\"ond\"; NSAppleScriptErrorNumber = 3;}");
    // Much output on both streams never stalls the command.
    EXPECT_EQ(platform::describe(
                  platform::doShellScript(platform, "head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2")),
              "nil");
    EXPECT_EQ(platform::describe(platform::doShellScript(platform, "kill -9 $$")),
              "{NSAppleScriptErrorMessage = \"\"; NSAppleScriptErrorNumber = 137;}");
}

TEST(ShellScript, AdministratorPrivilegesRunOnlyTheToolThroughTheElevationCommand)
{
    test::Sandbox sandbox;
    platform::Platform platform = sandbox.platform();
    const fs::path record = sandbox.root() / "elevate.args";
    const fs::path tool = sandbox.root() / "tool";
    test::writeExecutable(sandbox.root() / "elevate",
                          "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + test::shellWord(record.string()) + "\nexec \"$@\"\n");
    test::writeExecutable(tool, "#!/bin/sh\n[ \"$1\" = 'a b' ] && [ \"$2\" = \"'c'\" ]\n");
    platform.folders.elevationCommand = {(sandbox.root() / "elevate").string()};

    EXPECT_EQ(platform::describe(platform::runTool(platform, tool, {"a b", "'c'"}, false)), "nil");
    EXPECT_FALSE(fs::exists(record));
    EXPECT_EQ(platform::describe(platform::runTool(platform, tool, {"a b", "'c'"}, true)), "nil");
    EXPECT_EQ(test::readFile(record), tool.string() + "\na b\n'c'\n");

    platform.folders.elevationCommand = {(sandbox.root() / "missing-elevate").string()};
    EXPECT_EQ(platform::describe(platform::runTool(platform, tool, {}, true)),
              "{NSAppleScriptErrorMessage = \"" + (sandbox.root() / "missing-elevate").string() +
                  ": No such file or directory\"; NSAppleScriptErrorNumber = -1;}");
}
