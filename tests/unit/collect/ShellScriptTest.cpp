#include "platform/ShellScript.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "platform/Process.h"
#include "support/Sandbox.h"

using namespace tarvix;

TEST(ShellScript, FailuresCarryTheExitStatusAndStandardError)
{
    test::Sandbox sandbox;
    const auto& platform = sandbox.platform();

    EXPECT_EQ(tarvix::platform::describe(tarvix::platform::doShellScript(
                  platform, "echo partial; echo 'first line' >&2; echo 'sec\"ond' >&2; exit 3")),
              "{NSAppleScriptErrorMessage = \"first line\\nsec\\\"ond\"; NSAppleScriptErrorNumber = 3;}");
    // Much output on both streams never stalls the command.
    EXPECT_EQ(tarvix::platform::describe(tarvix::platform::doShellScript(
                  platform, "head -c 3000000 /dev/zero; head -c 3000000 /dev/zero >&2")),
              "nil");
    EXPECT_EQ(tarvix::platform::describe(tarvix::platform::doShellScript(platform, "kill -9 $$")),
              "{NSAppleScriptErrorMessage = \"\"; NSAppleScriptErrorNumber = 137;}");
    // What the programs create is the user's alone, however lax our umask.
    ::umask(022);
    EXPECT_EQ(tarvix::platform::describe(tarvix::platform::doShellScript(platform, "umask >&2; [ $(umask) = 0077 ]")),
              "nil");
}

// As the window did when raised during a capture: the environment changes while children start.
TEST(ShellScript, ChildrenStartFromTheEnvironmentOfTheStartUpWhateverChangesItLater)
{
    test::Sandbox sandbox;
    const auto& platform = sandbox.platform();
    (void)tarvix::platform::childEnvironment();  // start-up
    std::atomic<bool> capturing = true;
    std::string outcome;
    std::thread capture([&] {
        for (int started = 0; started < 40 && outcome.empty(); ++started)
            if (const auto ran =
                    tarvix::platform::doShellScript(platform, "test -z \"$TARVIX_LATE$XDG_ACTIVATION_TOKEN\"");
                !ran || !ran->succeeded())
                outcome = tarvix::platform::describe(ran);
        capturing = false;
    });
    for (int raise = 0; capturing; ++raise) {
        ::setenv("XDG_ACTIVATION_TOKEN", ("token" + std::to_string(raise)).c_str(), 1);
        ::setenv(("TARVIX_LATE" + std::to_string(raise % 64)).c_str(), "1", 1);
        ::setenv("TARVIX_LATE", "1", 1);
        ::unsetenv("XDG_ACTIVATION_TOKEN");
    }
    capture.join();
    EXPECT_EQ(outcome, "");
    for (int late = 0; late < 64; ++late) ::unsetenv(("TARVIX_LATE" + std::to_string(late)).c_str());
    ::unsetenv("TARVIX_LATE");
    // The launcher's token is for the window alone, from the start.
    int status = -1;
    test::runCommand(
        test::childCommand("ShellScriptChild.TheLaunchersTokenReachesNoChild", "XDG_ACTIVATION_TOKEN=launcher") +
            " >/dev/null 2>&1",
        &status);
    EXPECT_EQ(status, 0);
}

TEST(ShellScriptChild, TheLaunchersTokenReachesNoChild)
{
    test::Sandbox sandbox;
    EXPECT_EQ(tarvix::platform::describe(
                  tarvix::platform::doShellScript(sandbox.platform(), "test -z \"$XDG_ACTIVATION_TOKEN\"")),
              "nil");
}
