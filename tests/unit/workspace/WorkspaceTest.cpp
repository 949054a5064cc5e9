#include "core/workspace/Workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "core/workspace/SharedValues.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace UF = UtilityFunctions;

TEST(CreateOutputDirectories, MakesOwnerOnlyFoldersClosesAnEarlierWorkspaceAnnouncesEachFolderAndStopsAtAFailure)
{
    ::umask(022);
    Sandbox sandbox;
    const fs::path root = sandbox.library() / "Tarvix";
    // An earlier version's workspace, open to everyone; the link's target is not the workspace's.
    writeFile(root / "Output/20240101000000/Scrivo/app.log");
    writeFile(sandbox.root() / "outside.txt");
    fs::create_symlink(sandbox.root() / "outside.txt", root / "Output/link");

    const auto workspace = UF::CreateOutputDirectories(sandbox.folders());
    ASSERT_TRUE(workspace.ok());
    const fs::path session = workspace->tempTimeStampedURL;
    EXPECT_EQ(workspace->tempSystemURL, root / "System");
    EXPECT_EQ(workspace->temptempURL, root / "temp");
    EXPECT_EQ(workspace->userLibraryPrefURL, sandbox.library() / "Preferences");
    EXPECT_TRUE(std::regex_match(session.string(), std::regex(root.string() + R"(/Output/\d{14})")));
    EXPECT_EQ(sandbox.logMessages(),
              (std::vector<std::string>{"INFO: Tarvix Directory: " + root.string(),
                                        "INFO: Directory created: " + session.string(),
                                        "INFO: Directory created: System", "INFO: Directory created: temp"}));
    for (const auto& entry : fs::recursive_directory_iterator(root))
        EXPECT_TRUE(entry.is_symlink() ||
                    (entry.status().permissions() & fs::perms::all) == fs::perms(entry.is_directory() ? 0700 : 0600))
            << entry.path();
    EXPECT_EQ(fs::status(sandbox.root() / "outside.txt").permissions() & fs::perms::all, fs::perms(0644));
    // The run's identifier, part of the archive's name, is lower case.
    EXPECT_TRUE(std::regex_match(UF::UniqueId(),
                                 std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")));

    fs::remove_all(root);  // a plain file where "Output" belongs stops even root
    writeFile(root / "Output", "in the way");
    EXPECT_FALSE(UF::CreateOutputDirectories(sandbox.folders()).ok());
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to create the initial directories.");
    EXPECT_FALSE(fs::exists(root / "System"));
}
