#include "core/workspace/Workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <regex>
#include <thread>

#include "core/workspace/SharedValues.h"
#include "platform/Files.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix::test;
namespace UF = tarvix::UtilityFunctions;

TEST(CreateOutputDirectories, MakesOwnerOnlyFoldersClosesAnEarlierWorkspaceAndAnnouncesEachFolder)
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
}

TEST(RestrictToOwner, AnotherAccountFlippingANameToALinkInASharedWorkspaceChangesNothingOutside)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second account";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const fs::path root = dir.path() / "Tarvix", shared = root / "Output", theirs = shared / "theirs";
    const fs::path outside = dir.path() / "outside.txt";
    writeFile(outside);
    fs::permissions(outside, fs::perms(0644));
    fs::create_directories(theirs);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    fs::permissions(theirs, fs::perms(0777));  // not the user's to close
    const auto share = [&] {
        for (const fs::path& folder : {root, shared}) {
            ASSERT_EQ(::chown(folder.c_str(), 0, 65534), 0);
            fs::permissions(folder, fs::perms(0775));
        }
    };
    share();
    // The other account, in a folder of its own, swaps each name between a file open to everyone
    // and a link to the user's file outside, as fast as it can (one renameat2 exchange a flip).
    const std::string flipper = R"(
import ctypes, os, sys, time
libc = ctypes.CDLL(None, use_errno=True)
os.chdir(sys.argv[1]); files = []
for i in range(16):
    files.append(os.open("n%d" % i, os.O_CREAT | os.O_RDWR, 0o600)); os.symlink(sys.argv[2], "s%d" % i)
names = [(("n%d" % i).encode(), ("s%d" % i).encode()) for i in range(16)]
open("ready", "w").close(); end = time.time() + 2.5; flips = 0
while time.time() < end:
    for (n, l), fd in zip(names, files):
        os.fchmod(fd, 0o077); flips += libc.renameat2(-100, n, -100, l, 2) == 0
print(flips))";
    std::string flips;
    std::atomic<bool> flipping = true;
    std::thread other([&] {
        flips = runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 -c " +
                           shellWord(flipper) + " " + shellWord(theirs) + " " + shellWord(outside));
        flipping = false;
    });
    EXPECT_TRUE(waitFor([&] { return fs::exists(theirs / "ready"); }));
    std::size_t runs = 0;
    std::string failure, refused;
    while (flipping && failure.empty()) {
        if (const auto closed = tarvix::platform::restrictToOwner(root); !closed) refused = closed.message();
        ++runs;
        if (const auto mode = fs::status(outside).permissions() & fs::perms::all; mode != fs::perms(0644))
            failure = "the file outside is now " + std::to_string(static_cast<int>(mode)) + " (decimal)";
        share();
    }
    other.join();
    EXPECT_EQ(failure, "") << "after " << runs << " runs";
    EXPECT_EQ(refused, "");
    EXPECT_EQ(fs::status(theirs).permissions(), fs::perms(0777));
    EXPECT_GT(std::atoi(flips.c_str()), 1000) << "the other account could not flip: " << flips;
    EXPECT_GT(runs, 100u);
}
