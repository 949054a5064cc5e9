#include "core/workspace/Workspace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "core/base/Format.h"
#include "core/workspace/ConstantsFolder.h"
#include "core/workspace/SharedValues.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
namespace UF = UtilityFunctions;

TEST(CreateOutputDirectories, FreshAccountCreatesRootSessionSystemAndTemp)
{
    Sandbox sandbox;
    ASSERT_TRUE(UF::CreateOutputDirectories(sandbox.folders()));

    const fs::path root = sandbox.library() / "Tarvix";
    const fs::path session = *UF::tempTimeStampedURL.get();
    EXPECT_EQ(session.parent_path(), root / "Output");
    EXPECT_TRUE(std::regex_match(session.filename().string(), std::regex(R"(\d{14})")));
    EXPECT_EQ(UF::userLibraryURL.get(), sandbox.library());
    EXPECT_EQ(UF::userLibraryPrefURL.get(), sandbox.library() / "Preferences");
    EXPECT_EQ(UF::tempDirURL.get(), root);
    EXPECT_EQ(UF::tempSystemURL.get(), root / "System");
    EXPECT_EQ(UF::tempOutputURL.get(), session);
    EXPECT_EQ(UF::temptempURL.get(), root / "temp");
    EXPECT_FALSE(UF::compressedLogURL.get());
    for (const auto& folder : {session, root / "System", root / "temp"}) EXPECT_TRUE(fs::is_directory(folder));

    const std::vector<std::string> expected = {"INFO: Tarvix Directory: " + root.string(),
                                               "INFO: Directory created: " + session.string(),
                                               "INFO: Directory created: System", "INFO: Directory created: temp"};
    EXPECT_EQ(sandbox.logMessages(), expected);
}

TEST(CreateOutputDirectories, LaterCallsOnlyAnnounceANewSessionFolder)
{
    Sandbox sandbox;
    ASSERT_TRUE(UF::CreateOutputDirectories(sandbox.folders()));
    const fs::path first = *UF::tempTimeStampedURL.get();
    const auto linesBefore = sandbox.logMessages().size();

    ASSERT_TRUE(UF::CreateOutputDirectories(sandbox.folders()));
    const fs::path second = *UF::tempTimeStampedURL.get();
    auto lines = sandbox.logMessages();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(linesBefore));
    std::vector<std::string> expected = {"INFO: Tarvix Directory: " + (sandbox.library() / "Tarvix").string()};
    // Within the same second both sessions share one folder and nothing is created.
    if (second != first) expected.push_back("INFO: Directory created: " + second.string());
    EXPECT_EQ(lines, expected);
}

TEST(CreateOutputDirectories, FailureStopsAtTheFirstFolderAndKeepsValues)
{
    Sandbox sandbox;
    // A plain file where "Output" belongs makes the session folder impossible (also for root).
    fs::create_directories(sandbox.library() / "Tarvix");
    std::ofstream(sandbox.library() / "Tarvix/Output") << "in the way";

    EXPECT_FALSE(UF::CreateOutputDirectories(sandbox.folders()));
    const auto lines = sandbox.logMessages();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "ERROR: Failed to create the initial directories.");
    EXPECT_FALSE(fs::exists(sandbox.library() / "Tarvix/System")) << "no attempt after the first failure";
    EXPECT_FALSE(fs::exists(sandbox.library() / "Tarvix/temp"));
    EXPECT_TRUE(UF::tempOutputURL.get()) << "values set before the failure stay set";
}

TEST(CreateOutputDirectories, NoLibraryFolderChangesNothing)
{
    Sandbox sandbox;
    auto folders = sandbox.folders();
    folders.library.reset();
    EXPECT_FALSE(UF::CreateOutputDirectories(folders));
    EXPECT_TRUE(sandbox.logMessages().empty());
    EXPECT_FALSE(UF::tempDirURL.get());
}

TEST(SharedValues, LaunchStateAndRunIdentifier)
{
    Sandbox sandbox;
    EXPECT_EQ(UF::flavour.get(), "Trunk");
    EXPECT_EQ(UF::ProcessId.get(), "");
    EXPECT_FALSE(UF::scrivoOrGlance.get());
    EXPECT_FALSE(UF::ShareButtonPressed);
    EXPECT_EQ(UF::ScrivoBundleIndentifiers[0], "com.norvane.Scrivo.Pro");
    EXPECT_EQ(UF::ScrivoBundleIndentifiers[1], "com.norvane.Glance");
    EXPECT_EQ(UF::allowedExtensions.size(), 14u);
    EXPECT_EQ(UF::allowedExtensions.front(), ".pml");
    EXPECT_EQ(UF::allowedExtensions.back(), ".json");

    const std::string id = UF::UniqueId();
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << id;
    EXPECT_EQ(UF::UniqueId(), id);
    EXPECT_EQ(&UF::UniqueId(), &UF::UniqueId());

    EXPECT_EQ(tarvix::format(ConstantsFolder::ScrivologPath, {"Trunk", "Glance"}),
              "Application Support/Norvane/Scrivo/Trunk/Glance/ScrivoLog");
}
