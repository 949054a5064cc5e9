#include "core/workspace/CopyPrimitives.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;

using test::writeFile;

TEST(CopyItem, CopiesAWholeTreeKeepingLinksAsLinks)
{
    test::Sandbox sandbox;
    const fs::path source = sandbox.root() / "source";
    writeFile(source / "a.log", "alpha");
    writeFile(source / "sub" / "deeper" / "b.txt", "beta");
    fs::permissions(source / "a.log", fs::perms::owner_read | fs::perms::group_read);
    writeFile(sandbox.root() / "secret.txt", "outside the tree");
    fs::create_symlink("a.log", source / "inner.log");
    fs::create_symlink(sandbox.root() / "secret.txt", source / "sub" / "outside.txt");
    fs::create_symlink("missing", source / "dangling");
    // A named pipe would block a reader for ever; it is left out.
    ASSERT_EQ(::mkfifo((source / "pipe").c_str(), 0600), 0);

    const fs::path destination = sandbox.root() / "out" / "deep" / "copy";
    ASSERT_TRUE(UtilityFunctions::copyItem(source, destination));
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: Item copied successfully!");

    auto expected = test::treeListing(source);
    std::erase(expected, "pipe");
    EXPECT_EQ(test::treeListing(destination), expected);
    EXPECT_EQ(test::readFile(destination / "sub" / "deeper" / "b.txt"), "beta");
    EXPECT_TRUE(fs::is_symlink(destination / "sub" / "outside.txt"));
    EXPECT_EQ(fs::status(destination / "a.log").permissions(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(fs::last_write_time(destination / "a.log"), fs::last_write_time(source / "a.log"));

    // A link given as the source is copied as the link itself.
    ASSERT_TRUE(UtilityFunctions::copyItem(source / "sub" / "outside.txt", sandbox.root() / "out" / "link"));
    EXPECT_EQ(fs::read_symlink(sandbox.root() / "out" / "link"), sandbox.root() / "secret.txt");
}

TEST(CopyItem, NeverOverwritesAndReportsEveryFailure)
{
    test::Sandbox sandbox;
    const fs::path source = sandbox.root() / "source";
    writeFile(source / "a.log", "new");
    const fs::path taken = sandbox.root() / "taken";
    writeFile(taken, "mine");

    auto lastLine = [&] { return sandbox.logMessages().back(); };
    EXPECT_FALSE(UtilityFunctions::copyItem(source, taken));
    EXPECT_EQ(test::readFile(taken), "mine");
    EXPECT_EQ(lastLine().rfind("ERROR: Error copying item: ", 0), 0u) << lastLine();

    fs::create_symlink("nowhere", sandbox.root() / "dangling");
    EXPECT_FALSE(UtilityFunctions::copyItem(source / "a.log", sandbox.root() / "dangling"));
    EXPECT_EQ(fs::read_symlink(sandbox.root() / "dangling"), "nowhere");

    EXPECT_FALSE(UtilityFunctions::copyItem(sandbox.root() / "missing", sandbox.root() / "copy"));
    EXPECT_NE(lastLine().find("No such file or directory"), std::string::npos) << lastLine();
    EXPECT_FALSE(fs::exists(sandbox.root() / "copy"));

    EXPECT_FALSE(UtilityFunctions::copyItem(source, source / "inside"));
    EXPECT_FALSE(fs::exists(source / "inside"));

    const auto before = sandbox.logMessages().size();
    EXPECT_FALSE(UtilityFunctions::copyItem(std::nullopt, sandbox.root() / "x" / "y"));
    EXPECT_FALSE(UtilityFunctions::copyItem(source, std::nullopt));
    EXPECT_FALSE(fs::exists(sandbox.root() / "x"));
    const auto lines = sandbox.logMessages();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end()),
              (std::vector<std::string>{"WARNING: Invalid source or destination URL",
                                        "WARNING: Invalid source or destination URL"}));
}

TEST(CopyFiles, CreatesTheFolderAndLogsEachOutcome)
{
    test::Sandbox sandbox;
    const fs::path from = sandbox.root() / "from";
    writeFile(from / "a.plist", "A");
    const fs::path to = sandbox.root() / "to" / "PropertyList";

    UtilityFunctions::CopyFiles(from, to, "a.plist");
    EXPECT_EQ(test::readFile(to / "a.plist"), "A");
    EXPECT_EQ(sandbox.logMessages().back(), "INFO: File copied successfully.");

    writeFile(from / "a.plist", "B");
    UtilityFunctions::CopyFiles(from, to, "a.plist");
    EXPECT_EQ(test::readFile(to / "a.plist"), "A");
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error while copying file: ", 0), 0u);

    UtilityFunctions::CopyFiles(from, to, "missing.plist");
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error while copying file: ", 0), 0u);

    // A destination folder that cannot be made: silently nothing.
    const auto before = sandbox.logMessages().size();
    UtilityFunctions::CopyFiles(from, to / "a.plist" / "sub", "a.plist");
    EXPECT_EQ(sandbox.logMessages().size(), before);
}
