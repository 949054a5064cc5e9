#include "platform/ShellScript.h"

#include <gtest/gtest.h>

#include "support/Sandbox.h"

using namespace tarvix;

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
