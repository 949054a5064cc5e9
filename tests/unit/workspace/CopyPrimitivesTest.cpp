#include "core/workspace/CopyPrimitives.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

TEST(CopyItem, CopiesAnOwnerOnlyTreeAndNoLinkThatCouldLeadOut)
{
    ::umask(022);
    Sandbox sandbox;
    const fs::path source = sandbox.root() / "source", copy = sandbox.root() / "out/deep/copy";
    writeFile(source / "a.log", "alpha");
    writeFile(source / "sub/deeper/run.sh", "beta", true);
    writeFile(sandbox.root() / "private/key.bin", "secret");
    fs::create_symlink("a.log", source / "latest.log");  // beside its file: kept
    const std::vector<std::pair<fs::path, fs::path>> leadingOut = {
        {source / "abs.log", sandbox.root() / "private/key.bin"},
        {source / "dir.log", sandbox.root() / "private"},
        {source / "sub/rel.log", "../../private/key.bin"},
        {source / "sub/reldir", "../../private"},
        {source / "sub/up.log", "../a.log"},
        {source / "dangling", "missing"}};
    for (const auto& [link, target] : leadingOut) fs::create_symlink(target, link);
    ASSERT_EQ(::mkfifo((source / "pipe").c_str(), 0644), 0);  // a reader would block for ever

    ASSERT_TRUE(tarvix::UtilityFunctions::copyItem(source, copy).ok());
    EXPECT_EQ(treeListing(copy),
              (std::vector<std::string>{"a.log", "latest.log -> a.log", "sub/", "sub/deeper/", "sub/deeper/run.sh"}));
    EXPECT_EQ(fs::last_write_time(copy / "a.log"), fs::last_write_time(source / "a.log"));
    for (const auto& [item, mode] : std::vector<std::pair<fs::path, int>>{
             {copy, 0700}, {copy.parent_path(), 0700}, {copy / "a.log", 0600}, {copy / "sub/deeper/run.sh", 0700}})
        EXPECT_EQ(fs::status(item).permissions() & fs::perms::all, fs::perms(mode)) << item;
    const auto lines = sandbox.logMessages();
    for (const auto& [link, target] : leadingOut)
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "WARNING: Symbolic link not copied: " + link.string()), 1);
    EXPECT_TRUE(tarvix::UtilityFunctions::copyItem(source / "latest.log", sandbox.root() / "link").ok()) << "left out";
    EXPECT_FALSE(fs::exists(fs::symlink_status(sandbox.root() / "link")));
    EXPECT_EQ(sandbox.logMessages().back(), "WARNING: Symbolic link not copied: " + (source / "latest.log").string());
}

TEST(CopyPrimitives, NeverOverwriteKeepToTheBudgetAndLogEveryOutcome)
{
    Sandbox sandbox;
    const fs::path source = sandbox.root() / "source", taken = sandbox.root() / "taken";
    writeFile(source / "a.log", "new");
    writeFile(taken, "mine");
    fs::create_symlink("nowhere", sandbox.root() / "dangling");
    const auto fails = [&](const tarvix::Status& copied,
                           const std::string& line = "ERROR: Error copying item: The item “") {
        return !copied && sandbox.logMessages().back().rfind(line, 0) == 0;
    };
    using tarvix::UtilityFunctions::copyItem;
    EXPECT_TRUE(fails(copyItem(source, taken)));
    EXPECT_TRUE(fails(copyItem(source / "a.log", sandbox.root() / "dangling")));
    EXPECT_TRUE(fails(copyItem(source, source / "inside")));
    EXPECT_TRUE(fails(copyItem(std::nullopt, sandbox.root() / "x/y"), "WARNING: Invalid source or destination URL"));
    EXPECT_EQ(readFile(taken), "mine");
    EXPECT_EQ(fs::read_symlink(sandbox.root() / "dangling"), "nowhere");
    for (const char* absent : {"x", "source/inside"}) EXPECT_FALSE(fs::exists(sandbox.root() / absent));

    // A file that no longer fits is left out; a smaller one after it still fits.
    tarvix::platform::CopyBudget budget(10);
    for (const auto& [name, size, copied] : std::vector<std::tuple<std::string, std::size_t, bool>>{
             {"first.log", 8, true}, {"large.log", 3, false}, {"small.log", 2, true}, {"one.log", 1, false}}) {
        writeFile(sandbox.root() / name, std::string(size, 'x'));
        EXPECT_TRUE(copyItem(sandbox.root() / name, sandbox.root() / "out" / name, &budget).ok()) << "no failure";
        EXPECT_EQ(fs::exists(sandbox.root() / "out" / name), copied) << name;
        EXPECT_EQ(sandbox.logMessages().back(), copied
                                                    ? "INFO: Item copied successfully!"
                                                    : "WARNING: Not copied, over the collection budget of 10 bytes: " +
                                                          (sandbox.root() / name).string());
    }
}

TEST(CopyPrimitives, ARunNamesTheFirstHundredItemsLeftOutOfEachKindAndSumsUpTheRest)
{
    Sandbox sandbox;
    tarvix::platform::CopyBudget budget(10);
    // One run's copies: 1,500 links in two folders, and 150 files that do not fit.
    for (const char* folder : {"one", "two"}) fs::create_directories(sandbox.root() / folder);
    for (int i = 0; i < 1500; ++i)
        fs::create_symlink("/etc/passwd", sandbox.root() / (i < 1000 ? "one" : "two") / ("l" + std::to_string(i)));
    for (int i = 0; i < 150; ++i) writeFile(sandbox.root() / "big" / ("f" + std::to_string(i)), std::string(20, 'x'));
    for (const char* folder : {"one", "two", "big"})
        EXPECT_TRUE(
            tarvix::UtilityFunctions::copyItem(sandbox.root() / folder, sandbox.root() / "out" / folder, &budget).ok());
    tarvix::UtilityFunctions::logLeftOutSummary(budget);
    const auto lines = sandbox.logMessages();
    const auto starting = [&](const std::string& start) {
        return std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return line.starts_with(start); });
    };
    EXPECT_EQ(starting("WARNING: Symbolic link not copied: "), 100);
    EXPECT_EQ(starting("WARNING: Not copied, over the collection budget of 10 bytes: "), 100);
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - 2, lines.end()),
        (std::vector<std::string>{"WARNING: … and 1400 more symbolic links not copied",
                                  "WARNING: … and 50 more items not copied, over the collection budget of 10 bytes"}));
}
