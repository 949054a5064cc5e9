#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <sstream>

#include "core/collect/ProcessExecution.h"
#include "core/target/InstallationDiscovery.h"
#include "core/target/RunningInstances.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "sample_target/SampleInstall.h"
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
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "INFO: " + platform::describe(std::nullopt)), 2)
        << sandbox.logText();
}
