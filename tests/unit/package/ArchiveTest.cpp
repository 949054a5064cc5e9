#include "core/package/Archive.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <tuple>

#include "core/package/FeedbackRecord.h"
#include "core/package/Packaging.h"
#include "core/package/Pruning.h"
#include "core/workspace/SharedValues.h"
#include "support/PrivateNamespace.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::Sandbox;
using tarvix::test::writeFile;
namespace UF = UtilityFunctions;

namespace {

std::vector<std::string> entries(const fs::path& archive)
{
    std::istringstream lines(tarvix::test::runCommand("zipinfo -1 " + tarvix::test::shellWord(archive.string())));
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) names.push_back(line);
    std::sort(names.begin(), names.end());
    return names;
}

std::string archiveName() { return "scrivoMacLog_" + UF::UniqueId() + "_abc.zip"; }

/// A workspace whose session holds the edition folder "Scrivo", as after collection.
fs::path collectedSession(const fs::path& library)
{
    const fs::path root = library / "Tarvix";
    const fs::path session = root / "Output" / "20261206093000";
    fs::create_directories(session / "Scrivo");
    fs::create_directories(root / "temp");
    UF::tempTimeStampedURL.set(session);
    UF::tempOutputURL.set(session / "Scrivo");
    UF::temptempURL.set(root / "temp");
    return session;
}

}  // namespace

TEST(CompressOutputDirectory, LeavesTheArchiveAloneInTheSessionFolder)
{
    Sandbox sandbox;
    // Spaces in the path need no quoting: the arguments go to zip one by one.
    const fs::path session = collectedSession(sandbox.library() / "with space");
    writeFile(session / "Scrivo/ScrivoLog/app.log", "log text");
    writeFile(session / "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist", "<plist/>");
    for (const char* junk : {"Scrivo/.DS_Store", "Scrivo/ScrivoLog/.DS_Store", "Scrivo/core.bin"})
        writeFile(session / junk);
    fs::create_directories(session / "Scrivo/empty");
    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "a@b.io", "it broke");
    FilesPathDirectory::removeFilesFromDirectoryRecursively(session.string(), UF::allowedExtensions);
    const auto linesBefore = sandbox.logMessages().size();

    ASSERT_TRUE(FilesPathDirectory::CompressOutputDirectory(tarvix::sessionFromSharedValues()));

    const fs::path archive = session / archiveName();
    EXPECT_EQ(tarvix::test::treeListing(session), std::vector<std::string>{archiveName()});
    EXPECT_TRUE(fs::is_empty(*UF::temptempURL.get()));
    EXPECT_EQ(UF::tempOutputURL.get(), session);
    EXPECT_EQ(UF::compressedLogURL.get(), archive);
    EXPECT_EQ(entries(archive),
              (std::vector<std::string>{"Scrivo/", "Scrivo/Preferences/",
                                        "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist", "Scrivo/ScrivoLog/",
                                        "Scrivo/ScrivoLog/app.log", "Scrivo/empty/", "UserEmailFeedback.json"}));
    EXPECT_EQ(
        tarvix::test::runCommand("unzip -p " + tarvix::test::shellWord(archive.string()) + " Scrivo/ScrivoLog/app.log"),
        "log text");

    const auto lines = sandbox.logMessages();
    ASSERT_GE(lines.size(), linesBefore + 5);
    EXPECT_EQ(lines[linesBefore], "INFO: " + (session / "Scrivo").string());
    EXPECT_EQ(lines[linesBefore + 1], "INFO: Directory compressed successfully.");
    EXPECT_EQ(lines.back(), "INFO: Deleted: " + archiveName());  // the scratch copy, last
}

TEST(CompressOutputDirectory, FailuresLeaveTheWorkspaceAsItWas)
{
    Sandbox sandbox;
    const fs::path session = collectedSession(sandbox.library());
    writeFile(session / "UserEmailFeedback.json", "{}");

    // The session folder (parent of the output folder) is missing: zip never runs.
    UF::tempOutputURL.set(sandbox.root() / "gone" / "Scrivo");
    EXPECT_FALSE(FilesPathDirectory::CompressOutputDirectory(tarvix::sessionFromSharedValues()));
    EXPECT_EQ(sandbox.logMessages().back(),
              "ERROR: Output folder path doesn't exist: " + (sandbox.root() / "gone").string());

    // zip fails (nothing to add): no rearrangement.
    fs::remove(session / "UserEmailFeedback.json");
    fs::remove(session / "Scrivo");
    writeFile(session / "other.txt");
    UF::tempOutputURL.set(session / "Scrivo");
    EXPECT_FALSE(FilesPathDirectory::CompressOutputDirectory(tarvix::sessionFromSharedValues()));
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to compress the directory.");
    EXPECT_EQ(tarvix::test::treeListing(session), std::vector<std::string>{"other.txt"});
    EXPECT_FALSE(UF::compressedLogURL.get());

    // Absent locations never stop the program.
    EXPECT_FALSE(FilesPathDirectory::CommandLineCompression(std::nullopt, session / "x.zip"));
    EXPECT_FALSE(FilesPathDirectory::CommandLineCompression(session, std::nullopt));
    UF::temptempURL.set(std::nullopt);
    EXPECT_FALSE(FilesPathDirectory::CompressOutputDirectory(tarvix::sessionFromSharedValues()));
}

// Runs only inside a private mount namespace started by CopyFailureKeepsTheScratchArchive.
TEST(CompressOutputDirectoryChild, FullDiskAtTheCopy)
{
    Sandbox sandbox;
    const fs::path session = collectedSession(sandbox.library());
    fs::remove(session / "Scrivo");
    // A 16 KiB file system: empty files take no room there, but their archive does not fit.
    ASSERT_EQ(::mount("tmpfs", session.c_str(), "tmpfs", 0, "size=16k"), 0) << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{session};
    fs::create_directories(session / "Scrivo");
    for (int i = 0; i < 600; ++i) writeFile(session / "Scrivo" / ("empty-log-file-" + std::to_string(i) + ".log"), "");
    UF::CreateUserDetailContent(sandbox.folders(), tarvix::sessionFromSharedValues(), "", "disk full");

    EXPECT_FALSE(FilesPathDirectory::CompressOutputDirectory(tarvix::sessionFromSharedValues()));

    const fs::path scratch = *UF::temptempURL.get() / archiveName();
    ASSERT_TRUE(fs::exists(scratch)) << "the only archive was lost";
    EXPECT_GT(fs::file_size(scratch), 16u * 1024);
    EXPECT_EQ(entries(scratch).size(), 602u);
    EXPECT_FALSE(UF::compressedLogURL.get());
    EXPECT_FALSE(fs::exists(session / archiveName())) << "a partial copy was left behind";
}

TEST(CompressOutputDirectory, CopyFailureKeepsTheScratchArchive)
{
    const auto run = tarvix::test::runSelfInNamespace({"-m", "--propagation", "private"},
                                                      "CompressOutputDirectoryChild.FullDiskAtTheCopy");
    if (!run.available) GTEST_SKIP() << "unshare cannot make a private mount namespace here";
    EXPECT_TRUE(run.passed()) << run.output;
}

TEST(IsFileSizeValid, RejectsFrom100MiBOn)
{
    Sandbox sandbox;
    const fs::path file = sandbox.root() / "archive.zip";
    writeFile(file, "");
    for (const auto& [size, valid, shown] : std::vector<std::tuple<std::uintmax_t, bool, std::string>>{
             {104'857'599, true, "100.000"}, {104'857'600, false, "100.000"}, {1'572'864, true, "1.500"}}) {
        fs::resize_file(file, size);  // sparse: no real disk space
        EXPECT_EQ(FilesPathDirectory::isFileSizeValid(file), valid) << size;
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: Compressed file size: " + shown + " mb");
    }

    EXPECT_FALSE(FilesPathDirectory::isFileSizeValid(sandbox.root() / "missing.zip"));
    EXPECT_EQ(sandbox.logMessages().back().rfind("ERROR: Error fetching file attributes: ", 0), 0u);
}

TEST(ArchiveForUpload, PackagesOnlyOnTheFirstShareAndSendsOnlyTheSessionsOwnArchiveBelowTheLimit)
{
    using tarvix::ArchiveRefusal;
    Sandbox sandbox;
    const fs::path folder = collectedSession(sandbox.library());
    writeFile(folder / "Scrivo/ScrivoLog/app.log", "log text");
    writeFile(folder / "Scrivo/core.bin");
    tarvix::Session session = tarvix::sessionFromSharedValues();
    const auto share = [&](bool package) {
        return tarvix::archiveForUpload(sandbox.folders(), session, package, "a@b.io", "it broke");
    };

    const fs::path archive = folder / archiveName();
    EXPECT_EQ(std::get<fs::path>(share(true)), archive);
    EXPECT_EQ(session.archive, archive);
    EXPECT_TRUE(UF::ShareButtonPressed);
    EXPECT_EQ(entries(archive), (std::vector<std::string>{"Scrivo/", "Scrivo/ScrivoLog/", "Scrivo/ScrivoLog/app.log",
                                                          "UserEmailFeedback.json"}));
    const auto builtAt = fs::last_write_time(archive);
    EXPECT_EQ(std::get<fs::path>(share(false)), archive);
    EXPECT_EQ(fs::last_write_time(archive), builtAt) << "a later share reuses the archive";

    fs::resize_file(archive, 100 * 1024 * 1024);  // sparse
    EXPECT_EQ(std::get<ArchiveRefusal>(share(false)), ArchiveRefusal::tooLarge);
    // An archive outside the session's folder, or none at all, is never sent.
    session.archive = sandbox.root() / archiveName();
    writeFile(*session.archive);
    EXPECT_EQ(std::get<ArchiveRefusal>(share(false)), ArchiveRefusal::missing);
    session.archive.reset();
    EXPECT_EQ(std::get<ArchiveRefusal>(share(false)), ArchiveRefusal::missing);

    // Packaging that fails (no scratch folder) leaves no archive to send.
    session.scratch.reset();
    EXPECT_EQ(std::get<ArchiveRefusal>(share(true)), ArchiveRefusal::notBuilt);
    EXPECT_FALSE(session.archive);
}
