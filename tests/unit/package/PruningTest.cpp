#include "core/package/Pruning.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Undeletable.h"
#include "core/workspace/SharedValues.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
using tarvix::test::writeFile;

namespace {

void prune(const fs::path& folder)
{
    FilesPathDirectory::removeFilesFromDirectoryRecursively(folder.string(), UtilityFunctions::allowedExtensions);
}

}  // namespace

TEST(RemoveFilesFromDirectoryRecursively, KeepsAllowedExtensionsInAnyCaseAndRemovesTheRest)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session";
    const std::vector<std::string> kept = {"Scrivo/app.LOG", "Scrivo/prefs.Plist", "Scrivo/nested/deeper/trace.txt",
                                           "UserEmailFeedback.json", "Scrivo/archive.tar.zip"};
    const std::vector<std::string> removed = {"Scrivo/core",
                                              "Scrivo/data.bin",
                                              "Scrivo/.DS_Store",
                                              "Scrivo/nested/deeper/x.log.bak",
                                              "Scrivo/only-junk/a.bin",
                                              "Scrivo/only-junk/b"};
    for (const auto& names : {kept, removed})
        for (const auto& name : names) writeFile(session / name);

    prune(session);

    for (const auto& name : kept) EXPECT_TRUE(fs::exists(session / name)) << name;
    for (const auto& name : removed) EXPECT_FALSE(fs::exists(session / name)) << name;
    // Folders are kept even when pruned empty.
    EXPECT_TRUE(fs::is_directory(session / "Scrivo/only-junk"));

    const auto lines = sandbox.logMessages();
    for (const std::string& line : {"INFO: whitelisted file: " + (session / "Scrivo/app.LOG").string(),
                                    "INFO: Removed file: " + (session / "Scrivo/.DS_Store").string(),
                                    "INFO: Removed file: " + (session / "Scrivo/only-junk/b").string()})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(lines.size(), kept.size() + removed.size());
}

TEST(RemoveFilesFromDirectoryRecursively, NeverFollowsOrDeletesThroughSymbolicLinks)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session";
    const fs::path outside = sandbox.root() / "outside";
    writeFile(outside / "secret.bin");
    writeFile(outside / "keep.log");
    writeFile(session / "Scrivo/real.log");
    fs::create_directory_symlink(outside, session / "Scrivo/linked");         // judged as a file named "linked"
    fs::create_directory_symlink(outside, session / "Scrivo/linked.log");     // an allowed name: stays a link
    fs::create_symlink(outside / "secret.bin", session / "Scrivo/file.bin");  // link to a file outside
    fs::create_symlink(sandbox.root() / "nowhere", session / "Scrivo/dangling");

    prune(session);

    EXPECT_TRUE(fs::exists(outside / "secret.bin"));
    EXPECT_TRUE(fs::exists(outside / "keep.log"));
    for (const char* name : {"linked", "file.bin", "dangling"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(session / "Scrivo" / name))) << name;
    EXPECT_TRUE(fs::is_symlink(session / "Scrivo/linked.log"));
    for (const auto& line : sandbox.logMessages())
        EXPECT_EQ(line.find(outside.string()), std::string::npos) << "examined outside: " << line;
}

TEST(RemoveFilesFromDirectoryRecursively, AFailedRemovalStopsOnlyItsOwnFolder)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session";
    // Whatever the listing order: the first failed removal in "stuck" ends that folder (one line,
    // not two), while the parent and "other" go on.
    for (const char* name : {"stuck/junk.bin", "stuck/junk2.bin", "parent-junk.bin", "other/junk.bin"})
        writeFile(session / name);
    Undeletable guard(session / "stuck");
    if (!guard.ok()) GTEST_SKIP() << "cannot make a folder undeletable on this file system";

    prune(session);

    EXPECT_TRUE(fs::exists(session / "stuck/junk.bin"));
    EXPECT_FALSE(fs::exists(session / "parent-junk.bin"));
    EXPECT_FALSE(fs::exists(session / "other/junk.bin"));
    const auto lines = sandbox.logMessages();
    const std::string prefix = "ERROR: Error accessing directory: " + (session / "stuck").string() + " - ";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }),
              1)
        << testing::PrintToString(lines);

    // An empty path cannot be listed: one line with an empty folder path.
    FilesPathDirectory::removeFilesFromDirectoryRecursively("", UtilityFunctions::allowedExtensions);
    const auto after = sandbox.logMessages();
    ASSERT_EQ(after.size(), lines.size() + 1);
    EXPECT_EQ(after.back().rfind("ERROR: Error accessing directory:  - ", 0), 0u) << after.back();
}

TEST(DeleteContentsOfDirectory, RemovesHiddenEntriesAndKeepsTheFolderButNotWhatLinksPointTo)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.root() / "temp";
    writeFile(folder / ".hidden");
    writeFile(folder / "tree/a/b.txt");
    writeFile(sandbox.root() / "outside" / "precious.txt");
    fs::create_directory_symlink(sandbox.root() / "outside", folder / "link");

    FilesPathDirectory::deleteContentsOfDirectory(folder);

    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(fs::exists(sandbox.root() / "outside" / "precious.txt"));
    auto lines = sandbox.logMessages();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines,
              (std::vector<std::string>{"INFO: Deleted: .hidden", "INFO: Deleted: link", "INFO: Deleted: tree"}));

    FilesPathDirectory::deleteContentsOfDirectory(sandbox.root() / "missing");
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error while deleting contents of directory: ", 0), 0u);
}

TEST(DeleteDirectory, LogsSuccessAndFailureAtInfoLevel)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.root() / "session";
    writeFile(folder / "archive.zip");
    FilesPathDirectory::deleteDirectory(folder);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Directory deleted successfully. Path: " + folder.string());

    FilesPathDirectory::deleteDirectory(folder);
    EXPECT_EQ(sandbox.logMessages().back().rfind("INFO: Error deleting directory: ", 0), 0u);
}
