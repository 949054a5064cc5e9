#include "core/package/Pruning.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/workspace/SharedValues.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

namespace {

void prune(const fs::path& folder)
{
    FilesPathDirectory::removeFilesFromDirectoryRecursively(folder.string(), UtilityFunctions::allowedExtensions);
}

bool present(const fs::path& item) { return fs::exists(fs::symlink_status(item)); }

}  // namespace

TEST(RemoveFilesFromDirectoryRecursively, KeepsAllowedExtensionsInAnyCaseAndOnlyLinksToAFileThatStaysBeside)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session", outside = sandbox.root() / "outside";
    writeFile(outside / "secret.bin");
    const std::vector<std::string> kept = {"S/app.LOG", "S/prefs.Plist",     "S/nested/deeper/trace.txt",
                                           "feed.json", "S/archive.tar.zip", "S/a\nINFO: b.log"};
    const std::vector<std::string> removed = {
        "S/core", "S/data.bin", "S/.DS_Store", "S/nested/deeper/x.log.bak", "S/only-junk/a.bin", "S/only-junk/b"};
    for (const auto& names : {kept, removed})
        for (const auto& name : names) writeFile(session / name);
    // Links: zip follows them, so only one of an allowed name beside a file that stays may stay.
    fs::create_symlink("app.LOG", session / "S/latest.log");
    const std::vector<std::pair<std::string, fs::path>> removedLinks = {
        {"S/linked", outside},         {"S/linked.log", outside},  {"S/file.log", outside / "secret.bin"},
        {"S/latest", "app.LOG"},       {"S/junk.log", "data.bin"}, {"S/nested/up.log", "../app.LOG"},
        {"S/dangling.log", "gone.log"}};
    for (const auto& [name, target] : removedLinks) fs::create_symlink(target, session / name);

    prune(session);

    for (const auto& name : kept) EXPECT_TRUE(fs::exists(session / name)) << name;
    for (const auto& name : removed) EXPECT_FALSE(present(session / name)) << name;
    EXPECT_TRUE(fs::is_symlink(session / "S/latest.log"));
    for (const auto& [name, target] : removedLinks) EXPECT_FALSE(present(session / name)) << name;
    EXPECT_TRUE(fs::exists(outside / "secret.bin"));
    EXPECT_TRUE(fs::is_directory(session / "S/only-junk")) << "folders stay, even empty";
    // One line per entry, a name's line break included.
    const auto lines = sandbox.logMessages();
    EXPECT_EQ(lines.size(), kept.size() + removed.size() + 1 + removedLinks.size());
    for (const std::string& line : {"INFO: whitelisted file: " + (session / "S/a\\nINFO: b.log").string(),
                                    "INFO: Removed file: " + (session / "S/linked.log").string()})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;
    for (const auto& line : lines) EXPECT_EQ(line.find(outside.string()), std::string::npos) << line;
}

TEST(RemoveFilesFromDirectoryRecursively, AFailedRemovalStopsOnlyItsOwnFolder)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session";
    for (const char* name : {"stuck/junk.bin", "stuck/junk2.bin", "parent-junk.bin", "other/junk.bin"})
        writeFile(session / name);
    // Root ignores permissions: the folder is made immutable instead.
    const std::string stuck = shellWord((session / "stuck").string());
    int status = 0;
    runCommand((::geteuid() == 0 ? "chattr +i " : "chmod u-w ") + stuck + " 2>/dev/null", &status);
    const std::shared_ptr<void> undo(
        nullptr, [&](void*) { runCommand("chattr -i " + stuck + " 2>/dev/null; chmod u+w " + stuck); });
    if (status != 0) GTEST_SKIP() << "cannot make a folder undeletable on this file system";

    prune(session);
    // Whatever the listing order, the first failed removal ends "stuck" with one line.
    EXPECT_TRUE(fs::exists(session / "stuck/junk.bin"));
    EXPECT_FALSE(fs::exists(session / "parent-junk.bin"));
    EXPECT_FALSE(fs::exists(session / "other/junk.bin"));
    const auto lines = sandbox.logMessages();
    const std::string prefix = "ERROR: Error accessing directory: " + (session / "stuck").string() + " - ";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }),
              1);
    // An empty path cannot be listed: one line with an empty folder path.
    FilesPathDirectory::removeFilesFromDirectoryRecursively("", UtilityFunctions::allowedExtensions);
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error accessing directory:  - ", 0), 0u);
}

TEST(DeleteContentsOfDirectory, RemovesHiddenEntriesAndLinksButNeverWhatTheyPointTo)
{
    Sandbox sandbox;
    const fs::path folder = sandbox.root() / "temp";
    writeFile(folder / ".hidden");
    writeFile(folder / "tree/a/b.txt");
    writeFile(sandbox.root() / "outside/precious.txt");
    fs::create_directory_symlink(sandbox.root() / "outside", folder / "link");
    FilesPathDirectory::deleteContentsOfDirectory(folder);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(fs::exists(sandbox.root() / "outside/precious.txt"));
    auto lines = sandbox.logMessages();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines,
              (std::vector<std::string>{"INFO: Deleted: .hidden", "INFO: Deleted: link", "INFO: Deleted: tree"}));
    FilesPathDirectory::deleteContentsOfDirectory(sandbox.root() / "missing");
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error while deleting contents of directory: ", 0), 0u);

    FilesPathDirectory::deleteDirectory(folder);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Directory deleted successfully. Path: " + folder.string());
}
