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
    EXPECT_TRUE(tarvix::GetPropertyList(bare).ok());
    EXPECT_TRUE(tarvix::GetLicensingLogs(bare).ok());
    EXPECT_TRUE(tarvix::GetInstallLogs(bare, sandbox.folders().systemLog).ok());
    EXPECT_TRUE(tarvix::GetIPMLogs(bare).ok());
    EXPECT_FALSE(tarvix::PListOperations::GetScrivoLogs(bare).ok());
    EXPECT_TRUE(tarvix::PListOperations::RevertScrivoLogPList(bare).ok());
    for (const auto& line : sandbox.logMessages()) EXPECT_TRUE(line.starts_with("WARNING: ")) << line;

    // A machine without the target's material: every missing item is one error line, and no
    // failure of its group.
    const auto workspace = tarvix::UtilityFunctions::CreateOutputDirectories(sandbox.folders());
    ASSERT_TRUE(workspace.ok());
    Session session = sessionIn(*workspace);
    session.edition = "Glance";
    session.bundleIdentifier = "com.norvane.Glance";
    EXPECT_TRUE(tarvix::GetPropertyList(session).ok());
    EXPECT_TRUE(tarvix::PListOperations::GetScrivoLogs(session).ok());
    EXPECT_TRUE(tarvix::GetLicensingLogs(session).ok());
    EXPECT_TRUE(tarvix::GetInstallLogs(session, sandbox.folders().systemLog).ok());
    EXPECT_TRUE(tarvix::GetIPMLogs(session).ok());
    EXPECT_EQ(test::treeListing(*session.output),
              (std::vector<std::string>{"InstallLogs/", "LicensingLogs/", "PropertyList/"}));
    const auto lines = sandbox.logMessages();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("ERROR: Error copying item:"); }),
              9);
    EXPECT_NE(lines.back().find("GlanceMessages"), std::string::npos) << sandbox.logText();

    // An item that is there and could not be copied is the group's failure.
    test::writeFile(*session.preferences / "com.norvane.crashreporter.plist");
    fs::remove(*session.output / "PropertyList");
    test::writeFile(*session.output / "PropertyList", "in the way");
    EXPECT_FALSE(tarvix::GetPropertyList(session).ok());
}
