#include "core/package/Pruning.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/workspace/SharedValues.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

TEST(RemoveFilesFromDirectoryRecursively,
     KeepsAllowedExtensionsInAnyCaseOnlyLinksToAFileThatStaysBesideAndGoesOnPastAStuckFolder)
{
    Sandbox sandbox;
    const fs::path session = sandbox.root() / "session", outside = sandbox.root() / "outside";
    writeFile(outside / "secret.bin");
    const std::vector<std::string> kept = {"S/app.LOG", "S/prefs.Plist", "S/nested/deeper/trace.txt", "feed.json",
                                           "S/archive.tar.zip"};
    const std::vector<std::string> removed = {
        "core", "S/data.bin", "S/.DS_Store", "S/nested/deeper/x.log.bak", "S/only-junk/a.bin", "S/only-junk/b"};
    for (const auto& names : {kept, removed})
        for (const auto& name : names) writeFile(session / name);
    // Links: zip follows them, so only one of an allowed name beside a file that stays may stay.
    fs::create_symlink("app.LOG", session / "S/latest.log");
    const std::vector<std::pair<std::string, fs::path>> removedLinks = {
        {"S/linked", outside},         {"S/linked.log", outside},  {"S/file.log", outside / "secret.bin"},
        {"S/latest", "app.LOG"},       {"S/junk.log", "data.bin"}, {"S/nested/up.log", "../app.LOG"},
        {"S/dangling.log", "gone.log"}};
    for (const auto& [name, target] : removedLinks) fs::create_symlink(target, session / name);
    // A folder whose removals fail (where the file system can make one) ends with one line, whatever the order.
    for (const char* name : {"stuck/junk.bin", "stuck/junk2.bin"}) writeFile(session / name);
    const Undeletable stuck(session / "stuck");

    EXPECT_NE(tarvix::FilesPathDirectory::removeFilesFromDirectoryRecursively(
                  session.string(), tarvix::UtilityFunctions::allowedExtensions)
                  .ok(),
              stuck.ok());
    EXPECT_EQ(fs::exists(session / "stuck/junk.bin"), stuck.ok());

    for (const auto& name : kept) EXPECT_TRUE(fs::exists(session / name)) << name;
    for (const auto& name : removed) EXPECT_FALSE(fs::exists(fs::symlink_status(session / name))) << name;
    EXPECT_TRUE(fs::is_symlink(session / "S/latest.log"));
    for (const auto& [name, target] : removedLinks)
        EXPECT_FALSE(fs::exists(fs::symlink_status(session / name))) << name;
    EXPECT_TRUE(fs::exists(outside / "secret.bin"));
    EXPECT_TRUE(fs::is_directory(session / "S/only-junk")) << "folders stay, even empty";
    const auto lines = sandbox.logMessages();
    for (const auto& line : lines) EXPECT_EQ(line.find(outside.string()), std::string::npos) << line;
    const std::string prefix = "ERROR: Error accessing directory: " + (session / "stuck").string() + " - ";
    EXPECT_EQ(std::ranges::count_if(lines, [&](const std::string& l) { return l.starts_with(prefix); }), stuck.ok());
}
