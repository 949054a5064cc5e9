#include "core/package/Archive.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <clocale>
#include <cstring>
#include <random>

#include "core/log/Logger.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/Packaging.h"
#include "core/package/Pruning.h"
#include "core/workspace/CopyPrimitives.h"
#include "core/workspace/SharedValues.h"
#include "platform/Files.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace UF = tarvix::UtilityFunctions;

TEST(CompressOutputDirectoryChild, SmallDisksNeitherFillUpNorLoseTheArchive)
{
    Sandbox sandbox;
    const tarvix::Session collected = collectedSession(sandbox.library());
    const fs::path session = *collected.folder, scratch = *collected.scratch;
    // A small file system over `folder` until the answer goes.
    const auto smallDisk = [](const fs::path& folder) -> std::shared_ptr<void> {
        EXPECT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k"), 0) << std::strerror(errno);
        return {nullptr, [folder](void*) { ::umount2(folder.c_str(), MNT_DETACH); }};
    };
    // Empty files take no room on the small disk, but their archive does not fit there.
    const auto fill = [&](std::size_t bigLog) {
        for (int i = 0; i < 600; ++i)
            writeFile(session / "Scrivo" / ("empty-log-file-" + std::to_string(i) + ".log"), "");
        if (bigLog) writeFile(session / "Scrivo/big.log", std::string(bigLog, 'x'));
        EXPECT_TRUE(tarvix::CreateUserDetailContent(sandbox.folders(), collected, "", "disk full").ok());
    };
    // Too little room to zip: refused before zip runs.
    fill(64 * 1024);
    auto disk = smallDisk(scratch);
    EXPECT_FALSE(tarvix::FilesPathDirectory::CompressOutputDirectory(collected).ok());
    EXPECT_TRUE(sandbox.logMessages().back().starts_with("ERROR: Not enough free space to compress the directory: "));
    EXPECT_TRUE(fs::is_empty(scratch));
    EXPECT_EQ(treeListing(session).size(), 603u) << "the session was changed";
    disk.reset();
    // Room enough, but the hidden share's writer fails on its deflating thread: refused, nothing left.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string noise(256 << 10, '\0');  // beyond the limit even deflated
    std::ranges::generate(noise, std::mt19937());
    writeFile(session / "Scrivo/noise.log", noise);
    const rlimit small{128 << 10, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto hidden = tarvix::archiveForUpload(sandbox.folders(), collected, true, "", "disk full",
                                                 {.leftOut = {}, .hideIdentity = true});
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(hidden.upload.ok());
    EXPECT_TRUE(fs::is_empty(scratch));
    EXPECT_EQ(treeListing(session).size(), 604u) << "the session was changed";
    // Room to zip but none to copy the archive into the session folder: the only archive stays.
    fs::remove_all(session);
    fs::create_directories(session);
    disk = smallDisk(session);
    fs::create_directories(session / "Scrivo");
    fill(0);
    EXPECT_FALSE(tarvix::FilesPathDirectory::CompressOutputDirectory(collected).ok());
    const std::string name = tarvix::FilesPathDirectory::archiveName();
    ASSERT_TRUE(fs::exists(scratch / name)) << "the only archive was lost";
    EXPECT_GT(fs::file_size(scratch / name), 16u * 1024);
    EXPECT_FALSE(fs::exists(session / name)) << "a partial copy was left behind";
}

TEST(CompressOutputDirectory, SmallDisksNeitherFillUpNorLoseTheArchive)
{
    const auto run = runSelfInNamespace({"-m", "--propagation", "private"},
                                        "CompressOutputDirectoryChild.SmallDisksNeitherFillUpNorLoseTheArchive");
    if (!run.available) GTEST_SKIP() << "unshare cannot make a private mount namespace here";
    EXPECT_TRUE(run.passed) << run.output;
}

TEST(ArchiveForUpload, PackagesOnceAloneInTheSessionFolderAndSendsOnlyTheSessionsOwnArchiveBelow100MiB)
{
    using tarvix::ArchiveRefusal;
    Sandbox sandbox;
    // Spaces in the path need no quoting: the arguments go to zip one by one.
    tarvix::Session session = collectedSession(sandbox.library() / "with space");
    const fs::path folder = *session.folder;
    // zip fails (nothing to add): no rearrangement.
    fs::remove(folder / "Scrivo");
    writeFile(folder / "other.txt");
    EXPECT_FALSE(tarvix::FilesPathDirectory::CompressOutputDirectory(session).ok());
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to compress the directory.");
    EXPECT_EQ(treeListing(folder), std::vector<std::string>{"other.txt"});
    // A writer that fails halfway leaves no partial archive behind.
    fs::remove(folder / "other.txt");
    const auto halfway = [](const fs::path& archive) -> tarvix::Status {
        writeFile(archive, "PK\x03\x04 partial");
        return tarvix::Failure{"No space left on device"};
    };
    writeFile(folder / "Scrivo/ScrivoLog/app.log", "log text");
    EXPECT_FALSE(tarvix::FilesPathDirectory::CompressOutputDirectory(session, halfway).ok());
    EXPECT_EQ(sandbox.logMessages().back(), "ERROR: Failed to compress the directory. No space left on device");
    EXPECT_TRUE(fs::is_empty(*session.scratch));
    EXPECT_EQ(treeListing(folder),
              (std::vector<std::string>{"Scrivo/", "Scrivo/ScrivoLog/", "Scrivo/ScrivoLog/app.log"}));
    writeFile(folder / "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist", "<plist/>");
    fs::create_symlink("app.log", folder / "Scrivo/ScrivoLog/latest.log");
    fs::create_directories(folder / "Scrivo/empty");
    // Leftovers in the scratch folder go with the scratch archive; a link there is removed, never followed.
    const fs::path scratch = *session.scratch, precious = sandbox.root() / "outside/precious.txt";
    writeFile(scratch / ".hidden");
    writeFile(scratch / "tree/a/b.txt");
    writeFile(precious);
    fs::create_directory_symlink(precious.parent_path(), scratch / "link");
    const auto share = [&](bool package) {
        auto packaged = tarvix::archiveForUpload(sandbox.folders(), session, package, "a@b.io", "it broke");
        session.archive = packaged.archive;
        return packaged.upload;
    };
    const std::string name = tarvix::FilesPathDirectory::archiveName();
    const fs::path archive = folder / name;
    EXPECT_EQ(share(true).value(), archive);
    EXPECT_EQ(treeListing(folder), std::vector<std::string>{name});
    EXPECT_TRUE(fs::is_empty(scratch));
    EXPECT_TRUE(fs::exists(precious));
    EXPECT_EQ(runCommand("zipinfo -1 " + shellWord(archive.string()) + " | sort"),
              "Scrivo/\nScrivo/Preferences/\nScrivo/Preferences/com.norvane.Scrivo.Pro.plist\n"
              "Scrivo/ScrivoLog/\nScrivo/ScrivoLog/app.log\nScrivo/ScrivoLog/latest.log\n"
              "Scrivo/empty/\nUserEmailFeedback.json\n");
    EXPECT_EQ(runCommand("unzip -p " + shellWord(archive.string()) + " Scrivo/ScrivoLog/latest.log"), "log text");
    // The size gate: sparse files, no real disk space.
    for (const std::uintmax_t size : {104'857'599, 104'857'600}) {
        fs::resize_file(archive, size);
        const auto shared = share(false);
        EXPECT_TRUE(size < 104'857'600 ? shared && *shared == archive : shared.error() == ArchiveRefusal::tooLarge)
            << size;
        EXPECT_EQ(sandbox.logMessages().back(), "INFO: Compressed file size: 100.000 mb");
    }
    // An archive outside the session's folder, or none at all, is never sent.
    session.archive = sandbox.root() / name;
    writeFile(*session.archive);
    EXPECT_EQ(share(false).error(), ArchiveRefusal::missing);
    session.archive.reset();
    EXPECT_EQ(share(false).error(), ArchiveRefusal::missing);
    // A file pruning cannot remove never goes out with the rest: no archive to send.
    writeFile(folder / "Scrivo/stuck/core.bin");
    const Undeletable stuck(folder / "Scrivo/stuck");
    if (!stuck.ok()) GTEST_SKIP() << "cannot make a folder undeletable on this file system";
    EXPECT_EQ(share(true).error(), ArchiveRefusal::notBuilt);
    EXPECT_FALSE(session.archive);
    EXPECT_TRUE(fs::is_empty(scratch));
}

TEST(LogText, NumbersAndSystemErrorsAreEnglishWhateverTheLocale)
{
    // As in the application, the C library follows the user's locale: a real German one here.
    ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8")) << "no locale de_DE.UTF-8: scripts/bootstrap generates it";
    const std::shared_ptr<void> restore(nullptr, [](void*) { std::setlocale(LC_ALL, "C"); });
    Sandbox sandbox;
    const fs::path missing = sandbox.root() / "missing", file = sandbox.root() / "file";
    writeFile(file);
    fs::resize_file(file, 1'572'864);
    (void)tarvix::FilesPathDirectory::isFileSizeValid(file);
    (void)UF::copyItem(missing, sandbox.root() / "copy");
    (void)tarvix::FilesPathDirectory::removeFilesFromDirectoryRecursively(missing.string(), UF::allowedExtensions);
    tarvix::Logger::logError(tarvix::platform::createPrivateFolders(file / "sub").message());
    const auto lines = sandbox.logMessages();
    const std::string notFound = "No such file or directory";
    EXPECT_EQ(std::vector(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"INFO: Compressed file size: 1.500 mb",
                                        "ERROR: Error copying item: The item “missing” couldn’t be copied: " +
                                            notFound + " (" + missing.string() + ")",
                                        "ERROR: Error accessing directory: " + missing.string() + " - " + notFound,
                                        "ERROR: " + (file / "sub").string() + ": Not a directory"}));
}
