#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>

#include "core/collect/ProcessExecution.h"
#include "core/package/Archive.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "sample_target/SampleInstall.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// This test program again, in the background, running only the disabled test `test`.
pid_t startSelf(const std::string& test, const std::string& environment, const fs::path& log)
{
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string pid = tarvix::test::runCommand(environment + " " + tarvix::test::shellWord(self) +
                                                     " --gtest_filter=" + test + " --gtest_also_run_disabled_tests >" +
                                                     tarvix::test::shellWord(log) + " 2>&1 & echo $!");
    return std::stoi(pid);
}

/// From /proc/PID/stat: its name, and whether it still runs (not gone, not a zombie).
std::string nameIfRunning(pid_t pid, pid_t* parent = nullptr)
{
    const std::string stat = readFile(fs::path("/proc") / std::to_string(pid) / "stat");
    const auto open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || stat.substr(close + 2, 1) == "Z") return "";
    if (parent) *parent = std::atoi(stat.c_str() + close + 4);
    return stat.substr(open + 1, close - open - 1);
}

/// A running process named `name` that `ancestor` started, directly or through one more process.
pid_t startedBy(pid_t ancestor, const std::string& name)
{
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const pid_t pid = std::atoi(it->path().filename().c_str());
        pid_t parent = 0, grandparent = 0;
        if (pid > 0 && nameIfRunning(pid, &parent) == name &&
            (parent == ancestor || (!nameIfRunning(parent, &grandparent).empty() && grandparent == ancestor)))
            return pid;
    }
    return 0;
}

}  // namespace

// Stop with "Advanced logs" and "Installed app information" on, with Tarvix's own spindump and
// system_profiler found through the libexec folder as in an installed tree.
TEST(CaptureTools, StopWithBothOptionsCollectsDataDumpAndApplicationsReport)
{
    tarvix::test::Sandbox sandbox(TARVIX_LIBEXEC_DIR);
    const auto layout = tarvix::sample::install(sandbox.root());
    tarvix::sample::RunningInstance scrivo(layout.scrivoBundle);

    // What the start flow has done by the time Stop is pressed.
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
    ASSERT_TRUE(UtilityFunctions::IsApplicationRunning(sandbox.folders(), "com.norvane.Scrivo.Pro"));
    UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});
    UtilityFunctions::SetScrivoOrGlance({"com.norvane.Scrivo.Pro"}, UtilityFunctions::tempOutputURL.get());
    ASSERT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(scrivo.pid()));

    std::promise<void> finished;
    ProcessExecution::runTasksConcurrently(true, true, true, sandbox.platform(), tarvix::sessionFromSharedValues(),
                                           [&finished] { finished.set_value(); });
    ASSERT_EQ(finished.get_future().wait_for(60s), std::future_status::ready);

    const fs::path output = *UtilityFunctions::tempOutputURL.get();
    const std::string spinReport = readFile(output / "spinReport.txt");
    const std::string sysinfo = readFile(output / "sysinfo.xml");
    EXPECT_NE(spinReport.find("ScrivoSampleIdleLoop"), std::string::npos) << sandbox.logText();
    EXPECT_NE(spinReport.find("Identifier:         com.norvane.Scrivo.Pro"), std::string::npos) << spinReport;
    EXPECT_EQ(sysinfo.rfind("Applications:\n", 0), 0u) << sandbox.logText();

    // Both captures ran without an error dictionary.
    const auto messages = sandbox.logMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "INFO: nil"), 2) << sandbox.logText();
}

// The Tarvix that TheirWorkEndsWithTarvix kills: it zips, or captures the data dump.
TEST(ChildrenOfTarvix, DISABLED_Tarvix)
{
    const fs::path work = std::getenv("TARVIX_TEST_WORK");
    tarvix::test::Sandbox sandbox(TARVIX_LIBEXEC_DIR);
    if (std::getenv("TARVIX_TEST_PID") == nullptr) {
        EXPECT_TRUE(FilesPathDirectory::CommandLineCompression(work / "session/Scrivo", work / "scratch/logs.zip"));
        return;
    }
    sandbox.platform().folders.elevationCommand = {(work / "elevate").string()};
    const tarvix::Session session{.output = work / "out", .processId = std::getenv("TARVIX_TEST_PID")};
    EXPECT_EQ(platform::describe(ProcessExecution::runSpinDump(sandbox.platform(), session)), "nil");
}

TEST(ChildrenOfTarvix, TheirWorkEndsWithTarvix)
{
    tarvix::test::TempDir work;
    const fs::path& w = work.path();
    // More zeros than zip packs in the time it is given here; sparse, so they take no disk.
    tarvix::test::writeFile(w / "session/UserEmailFeedback.json", "{}");
    tarvix::test::writeFile(w / "session/Scrivo/zeros", "");
    fs::resize_file(w / "session/Scrivo/zeros", std::uintmax_t{20} << 30);
    fs::create_directories(w / "scratch");
    // Like pkexec, which is set-user-id, the elevation passes no death signal on to the tool.
    // (A shell gives a background command /dev/null as input unless told otherwise.)
    tarvix::test::writeExecutable(w / "elevate", "#!/bin/sh\nexec 3<&0\n\"$@\" <&3 3<&- &\nwait $!\n");
    fs::create_directories(w / "out");
    tarvix::sample::RunningInstance target(tarvix::sample::install(w / "sample").scrivoBundle);

    for (const auto& [child, environment, left] :
         {std::tuple{"zip", std::string(), w / "scratch"},
          std::tuple{"spindump", "TARVIX_TEST_PID=" + std::to_string(target.pid()), w / "out"}}) {
        const pid_t tarvix = startSelf("ChildrenOfTarvix.DISABLED_Tarvix",
                                       "TARVIX_TEST_WORK=" + tarvix::test::shellWord(w) + " " + environment,
                                       w / (std::string(child) + ".log"));
        pid_t running = 0;
        ASSERT_TRUE(tarvix::test::waitFor([&] { return (running = startedBy(tarvix, child)) != 0; }, 60s))
            << readFile(w / (std::string(child) + ".log"));
        ASSERT_EQ(kill(tarvix, SIGKILL), 0);
        EXPECT_TRUE(tarvix::test::waitFor([&] { return nameIfRunning(running).empty(); }, 10s)) << child;
        if (!nameIfRunning(running).empty()) kill(running, SIGKILL);
        // Neither zip's temporary file nor a report.
        EXPECT_EQ(tarvix::test::treeListing(left), std::vector<std::string>{}) << child;
    }
}
