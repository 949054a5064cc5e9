#include <gtest/gtest.h>
#include <signal.h>

#include "core/collect/ProcessExecution.h"
#include "core/package/Archive.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace tarvix::test;

// The Tarvix that TheirWorkEndsWithTarvix kills: it zips, or captures the data dump.
TEST(ChildrenOfTarvixChild, Tarvix)
{
    const fs::path work = std::getenv("TARVIX_TEST_WORK");
    Sandbox sandbox(TARVIX_LIBEXEC_DIR);
    if (const char* pid = std::getenv("TARVIX_TEST_PID")) {
        sandbox.platform().folders.elevationCommand = {(work / "elevate").string()};
        const tarvix::Session session{.output = work / "out", .processId = pid};
        EXPECT_EQ(tarvix::platform::describe(tarvix::ProcessExecution::runSpinDump(sandbox.platform(), session)),
                  "nil");
    } else {
        EXPECT_TRUE(
            tarvix::FilesPathDirectory::CommandLineCompression(work / "session/Scrivo", work / "scratch/logs.zip"));
    }
}

TEST(ChildrenOfTarvix, TheirWorkEndsWithTarvix)
{
    TempDir work;
    const fs::path& w = work.path();
    // More zeros than zip packs in the time it is given here; sparse, so they take no disk.
    writeFile(w / "session/UserEmailFeedback.json", "{}");
    writeFile(w / "session/Scrivo/zeros", "");
    fs::resize_file(w / "session/Scrivo/zeros", std::uintmax_t{20} << 30);
    for (const char* folder : {"scratch", "out"}) fs::create_directories(w / folder);
    // Like pkexec, which is set-user-id, the elevation passes no death signal on to the tool.
    // (A shell gives a background command /dev/null as input unless told otherwise.)
    writeFile(w / "elevate", "#!/bin/sh\nexec 3<&0\n\"$@\" <&3 3<&- &\nwait $!\n", true);
    tarvix::sample::RunningInstance target(tarvix::sample::install(w / "sample").scrivoBundle);
    const auto ended = [](const std::string& pid) {  // gone, or a zombie that nobody reaps yet
        const std::string stat = readFile("/proc/" + pid + "/stat");
        return stat.empty() || stat.find(") Z ") != std::string::npos;
    };
    for (const auto& [child, environment, left] :
         {std::tuple{"zip", std::string(), w / "scratch"},
          std::tuple{"spindump", "TARVIX_TEST_PID=" + std::to_string(target.pid()), w / "out"}}) {
        const std::string tarvix = runCommand(
            childCommand("ChildrenOfTarvixChild.Tarvix", "TARVIX_TEST_WORK=" + shellWord(w) + " " + environment) +
            " >" + shellWord(w / "log") + " 2>&1 & echo -n $!");
        // Started by Tarvix directly, or through the elevation.
        const std::string find = "pgrep -x " + std::string(child) + " -P " + tarvix + ",$(pgrep -d, -P " + tarvix + ")";
        std::string running;
        ASSERT_TRUE(waitFor([&] { return !(running = runCommand(find)).empty(); }, 60s)) << readFile(w / "log");
        running.pop_back();
        ASSERT_EQ(kill(std::stoi(tarvix), SIGKILL), 0);
        EXPECT_TRUE(waitFor([&] { return ended(running); }, 10s)) << child;
        if (!ended(running)) kill(std::stoi(running), SIGKILL);
        EXPECT_EQ(treeListing(left), std::vector<std::string>{}) << child << " left a temporary file or report";
    }
}
