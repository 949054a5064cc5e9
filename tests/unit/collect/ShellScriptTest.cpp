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
    EXPECT_FALSE(platform::doShellScript(platform, "uname -a > " + test::shellWord(out.string()), false));
    EXPECT_EQ(test::readFile(out), "tarvix uname -a\n");

    platform.folders.libexec.clear();
    EXPECT_FALSE(platform::doShellScript(platform, "uname > " + test::shellWord(out.string()), false));
    EXPECT_EQ(test::readFile(out), "Linux\n");
}

TEST(ShellScript, FailuresCarryTheExitStatusAndStandardError)
{
    test::Sandbox sandbox;
    const auto& platform = sandbox.platform();

    auto error =
        platform::doShellScript(platform, "echo partial; echo 'first line' >&2; echo 'sec\"ond' >&2; exit 3", false);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->NSAppleScriptErrorNumber, 3);
    EXPECT_EQ(error->NSAppleScriptErrorMessage, "first line\nsec\"ond");
    EXPECT_EQ(platform::describe(error),
              "{NSAppleScriptErrorMessage = \"first line\\nsec\\\"ond\"; NSAppleScriptErrorNumber = 3;}");
    EXPECT_EQ(platform::describe(std::nullopt), "nil");

    // Much output on both streams never stalls the command.
    EXPECT_FALSE(platform::doShellScript(platform, "head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2", false));

    error = platform::doShellScript(platform, "kill -9 $$", false);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->NSAppleScriptErrorNumber, 128 + 9);
}

TEST(ShellScript, AdministratorPrivilegesGoThroughTheElevationCommand)
{
    test::Sandbox sandbox;
    platform::Platform platform = sandbox.platform();
    const fs::path record = sandbox.root() / "elevate.args";
    test::writeExecutable(sandbox.root() / "elevate",
                          "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + test::shellWord(record.string()) + "\nexec \"$@\"\n");
    platform.folders.elevationCommand = {(sandbox.root() / "elevate").string()};

    EXPECT_FALSE(platform::doShellScript(platform, "true", false));
    EXPECT_FALSE(fs::exists(record));
    EXPECT_FALSE(platform::doShellScript(platform, "exit 0", true));
    const std::string arguments = test::readFile(record);
    EXPECT_EQ(arguments.rfind("/usr/bin/env\nPATH=", 0), 0u) << arguments;
    EXPECT_TRUE(arguments.ends_with("\n/bin/sh\n-c\nexit 0\n")) << arguments;

    platform.folders.elevationCommand = {(sandbox.root() / "missing-elevate").string()};
    const auto error = platform::doShellScript(platform, "true", true);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->NSAppleScriptErrorNumber, -1);
}
