#include "core/package/ShareList.h"

#include <gtest/gtest.h>

#include <random>

#include "core/package/FilePreview.h"
#include "core/package/Packaging.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

namespace {

/// "name size" per file entry of a zip (folders left out), sorted.
std::string zipFiles(const fs::path& archive)
{
    return python(
        "import sys, zipfile\nfor i in sorted(zipfile.ZipFile(sys.argv[1]).infolist(), key=lambda i: "
        "i.filename):\n    i.is_dir() or i.filename == 'UserEmailFeedback.json' or print(i.filename, i.file_size)",
        {archive});
}

}  // namespace

TEST(ListShareable, IsWhatTheArchiveHoldsWithoutChangingTheSession)
{
    Sandbox sandbox;
    tarvix::Session session = collectedSession(sandbox.library());
    const fs::path folder = *session.folder;
    writeFile(folder / "Scrivo/ScrivoLog/app.log", "log text\n");
    writeFile(folder / "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist", "<plist/>");
    writeFile(folder / "Scrivo/a/b/c/deep.TXT", std::string(4995, 'd') + " box7");  // not hidden unless asked
    sandbox.platform().folders.identity = tarvix::platform::Identity{"jo", "", "/home/jo", "box7", ""};
    writeFile(folder / "Scrivo/core.bin", "junk");
    writeFile(sandbox.root() / "outside/secret.log", "secret");
    fs::create_symlink("app.log", folder / "Scrivo/ScrivoLog/latest.log");
    fs::create_symlink("core.bin", folder / "Scrivo/junk.log");
    fs::create_symlink(sandbox.root() / "outside/secret.log", folder / "Scrivo/out.log");
    fs::create_directory_symlink(sandbox.root() / "outside", folder / "Scrivo/outdir");
    const auto before = treeListing(folder);

    const auto list = tarvix::listShareable(folder);
    ASSERT_TRUE(list) << list.message();
    EXPECT_EQ(list->totalSize, 9u + 8 + 5000 + 9);
    EXPECT_FALSE(tarvix::leavesOutEverything(*list, {}));
    // A link goes where the file it names goes; leaving out every file is refused before anything changes.
    tarvix::ShareChoices everything{.leftOut = {}, .hideIdentity = true};
    for (const auto& entry : list->entries)
        if (entry.target.empty()) everything.leftOut.insert(entry.path);
    EXPECT_TRUE(tarvix::leavesOutEverything(*list, everything));
    EXPECT_EQ(tarvix::archiveForUpload(sandbox.folders(), session, true, "", "x", everything).upload.error(),
              tarvix::ArchiveRefusal::everythingLeftOut);
    EXPECT_EQ(treeListing(folder), before);
    EXPECT_EQ(
        tarvix::estimateArchiveSize(*list, {.leftOut = {"Scrivo/ScrivoLog/app.log"}}),
        tarvix::estimateArchiveSize(*list, {.leftOut = {"Scrivo/ScrivoLog/app.log", "Scrivo/ScrivoLog/latest.log"}}));
    const auto archive =
        tarvix::archiveForUpload(sandbox.folders(), session, true, "", "x", {.leftOut = {"Scrivo/ScrivoLog/app.log"}})
            .upload.value();
    EXPECT_EQ(zipFiles(archive), "Scrivo/Preferences/com.norvane.Scrivo.Pro.plist 8\nScrivo/a/b/c/deep.TXT 5000\n");
}

TEST(EstimateArchiveSize, IsWithinAQuarterOfTheRealArchiveForTextLogs)
{
    Sandbox sandbox;
    tarvix::Session session = collectedSession(sandbox.library());
    const fs::path folder = *session.folder;
    std::mt19937 random(7);
    const char* const words[] = {"INFO", "ERROR", "render", "page", "font", "sync", "0x7ff8", "timeout"};
    for (int file = 0; file < 40; ++file) {
        std::string text;
        const std::size_t size = 2000 + random() % 200000;
        while (text.size() < size)
            text += "2026-12-06 08:" + std::to_string(random() % 60) + " " + words[random() % 8] + " " +
                    std::to_string(random()) + "\n";
        writeFile(folder / ("Scrivo/logs/f" + std::to_string(file % 7) + "/app" + std::to_string(file) + ".log"), text);
    }
    std::string noise(300000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    writeFile(folder / "Scrivo/logs/rotated.log", "\x1f\x8b" + noise);
    const auto list = tarvix::listShareable(folder);
    ASSERT_TRUE(list);
    EXPECT_LE(list->compressionRatio[static_cast<std::size_t>(tarvix::ShareEntry::Kind::compressed)], 1.0)
        << "zip stores what deflate cannot shrink";
    const std::set<std::string> half = {list->entries[0].path, list->entries[3].path, list->entries[9].path};
    const auto estimate = tarvix::estimateArchiveSize(*list, {.leftOut = half});
    tarvix::ShareChoices choices{.leftOut = half};
    const auto archive = tarvix::archiveForUpload(sandbox.folders(), session, true, "", "x", choices).upload.value();
    const double real = static_cast<double>(fs::file_size(archive));
    EXPECT_NEAR(static_cast<double>(estimate), real, real * 0.25);
    // The archive lacks exactly the files left out.
    std::string kept;
    for (const auto& e : list->entries)
        if (half.count(e.path) == 0) kept += e.path + " " + std::to_string(e.size) + "\n";
    EXPECT_EQ(zipFiles(archive), kept);
    for (const auto& path : half)
        EXPECT_NE(sandbox.logText().find("Left out of the archive: " + path), std::string::npos);
    EXPECT_GT(list->estimatedArchiveSize, estimate);
    // Hiding sends no compressed file, so the estimate counts none.
    std::set<std::string> withoutRotated = half;
    withoutRotated.insert("Scrivo/logs/rotated.log");
    EXPECT_EQ(tarvix::estimateArchiveSize(*list, {.leftOut = half, .hideIdentity = true}),
              tarvix::estimateArchiveSize(*list, {.leftOut = withoutRotated}));
}

TEST(PreviewFile, ShowsTextAndPlistsBoundedAndRefusesLinksAndPathsOutOfTheSession)
{
    Sandbox sandbox;
    const tarvix::Session session = collectedSession(sandbox.library());
    const fs::path folder = *session.folder, drop = folder / "Scrivo/drop";
    writeFile(folder / "Scrivo/app.log", "line one\n");
    const std::string full(tarvix::kPreviewLimit, 'f'), cut(tarvix::kPreviewLimit - 1, 'a');
    writeFile(folder / "Scrivo/big.log", cut + "\xC3\xA9tail");  // a split character is cut whole
    writeFile(folder / "Scrivo/full.log", full);
    // UTF-16 with the first and last characters beyond the BMP.
    writeFile(folder / "Scrivo/wide.txt", std::string("\xFF\xFE\x00\xD8\x00\xDC\xFF\xDB\xFF\xDF", 10));
    writeFile(folder / "Scrivo/blob.dmp", std::string("MDMP\0\0\x01", 7));
    python("import plistlib,sys; open(sys.argv[1],'wb').write(plistlib.dumps({'k':'v'}, fmt=plistlib.FMT_BINARY))",
           {folder / "Scrivo/p.plist"});
    writeFile(sandbox.root() / "outside/secret.log", "secret");
    fs::create_symlink("app.log", folder / "Scrivo/latest.log");  // kept by pruning: shows app.log
    // Another account plants links where it can write.
    fs::create_directories(drop);
    fs::permissions(drop, fs::perms::all);
    for (fs::path up = folder; up != sandbox.root().parent_path(); up = up.parent_path())
        fs::permissions(up, fs::perms::others_exec, fs::perm_options::add);
    const std::string planted = (sandbox.root() / "outside").string();
    runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups sh -c " +
               shellWord("ln -s " + planted + "/secret.log " + drop.string() + "/x.log; ln -s " + planted + " " +
                         drop.string() + "/dir"));
    ASSERT_TRUE(fs::is_symlink(drop / "x.log"));

    struct Case {
        std::string path, text;
        bool ok, isText, truncated;
    };
    const std::vector<Case> cases = {
        {"Scrivo/app.log", "line one\n", true, true, false},
        {"Scrivo/full.log", full, true, true, false},
        {"Scrivo/big.log", cut, true, true, true},
        {"Scrivo/wide.txt", "\ufeff\U00010000\U0010FFFF", true, true, false},
        {"Scrivo/latest.log", "line one\n", true, true, false},
        {"Scrivo/blob.dmp", "", true, false, false},
        {"Scrivo/drop/x.log", "", false, false, false},
        {"Scrivo/drop/dir/secret.log", "", false, false, false},
        {"Scrivo/../../../../../outside/secret.log", "", false, false, false},
        {fs::relative(sandbox.root() / "outside/secret.log", folder).string(), "", false, false, false},
        {(sandbox.root() / "outside/secret.log").string(), "", false, false, false},
    };
    for (const auto& c : cases) {
        const auto preview = tarvix::previewFile(folder, c.path);
        const auto copy = tarvix::copyForViewing(folder, c.path, sandbox.root() / "view");
        ASSERT_EQ(preview.ok(), c.ok) << c.path;
        ASSERT_EQ(copy.ok(), c.ok) << c.path;
        if (!c.ok) continue;
        EXPECT_EQ(preview->text, c.text) << c.path;
        EXPECT_EQ(preview->isText, c.isText) << c.path;
        EXPECT_EQ(preview->truncated, c.truncated) << c.path;
        // The whole file, for the user alone.
        EXPECT_EQ(readFile(*copy), readFile(folder / c.path)) << c.path;
        EXPECT_EQ(fs::status(*copy).permissions() & fs::perms::all, fs::perms(0600)) << c.path;
    }
    const auto plist = tarvix::previewFile(folder, "Scrivo/p.plist");
    ASSERT_TRUE(plist);
    EXPECT_NE(plist->text.find("<key>k</key>"), std::string::npos) << plist->text;
}
