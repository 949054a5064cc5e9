#include "core/collect/Collectors.h"

#include <gtest/gtest.h>

#include "core/collect/PListOperations.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;

TEST(Collectors, AbsentValuesOrMaterialOnlyLog)
{
    test::Sandbox sandbox;
    const Session bare{.bundleIdentifier = "com.norvane.Glance"};
    EXPECT_TRUE(UtilityFunctions::GetPropertyList(bare));
    EXPECT_TRUE(UtilityFunctions::GetLicensingLogs(bare));
    EXPECT_TRUE(UtilityFunctions::GetInstallLogs(bare, sandbox.folders().systemLog));
    UtilityFunctions::GetIPMLogs(bare);
    PListOperations::GetScrivoLogs(true, bare);
    PListOperations::RevertScrivoLogPList(true, bare);
    const std::string invalid = "WARNING: Invalid source or destination URL";
    EXPECT_EQ(
        sandbox.logMessages(),
        (std::vector<std::string>{
            "WARNING: GetPropertyList: preferences or output folder not set, preference files not copied.",
            "WARNING: GetLicensingLogs: no output folder, nothing will be copied.", invalid, invalid, invalid, invalid,
            "WARNING: GetInstallLogs: no output folder, nothing will be copied.", invalid, invalid, invalid, invalid,
            "WARNING: GetScrivoLogs: no edition chosen, the target's log folder was not copied.",
            "WARNING: RevertScrivoLogPList: logging was never switched on, nothing to revert."}));

    // A machine without the target's material: every missing item is one error line.
    ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
    UtilityFunctions::scrivoOrGlance.set("Glance");
    const Session session = sessionFromSharedValues();
    const auto mark = sandbox.logMessages().size();
    EXPECT_FALSE(UtilityFunctions::GetPropertyList(session));
    EXPECT_TRUE(UtilityFunctions::GetLicensingLogs(session));
    EXPECT_TRUE(UtilityFunctions::GetInstallLogs(session, sandbox.folders().systemLog));
    UtilityFunctions::GetIPMLogs(session);
    EXPECT_EQ(test::treeListing(*session.output), (std::vector<std::string>{"InstallLogs/", "LicensingLogs/"}));
    const auto lines = sandbox.logMessages();
    std::vector<std::string> problems;
    for (auto line = lines.begin() + static_cast<long>(mark); line != lines.end(); ++line)
        if (!line->starts_with("INFO: ")) problems.push_back(line->substr(0, 26));
    EXPECT_EQ(problems, std::vector<std::string>(8, "ERROR: Error copying item:"));
    EXPECT_NE(lines.back().find("GlanceMessages"), std::string::npos) << sandbox.logText();
}
