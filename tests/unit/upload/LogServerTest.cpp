#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "UploadHelpers.h"
#include "support/SampleTargetSupport.h"

namespace fs = std::filesystem;
using namespace upload_test;
using tarvix::test::LogServer;

using LogServerSafety = WithLogServer;

TEST_F(LogServerSafety, ListensOnlyOnNumericLoopbackAddresses)
{
    LogServer server;
    const std::vector<std::pair<std::string, bool>> hosts = {
        {"127.0.0.2", true}, {"::1", true}, {"localhost", false},        {"127.1", false},
        {"0.0.0.0", false},  {"::", false}, {"::ffff:127.0.0.1", false},
    };
    for (const auto& [host, listens] : hosts) EXPECT_EQ(server.restart({.host = host}), listens) << host;
}

TEST(LogServerPki, PrivateKeysAreUnreadableToOtherAccounts)
{
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another account needs root";
    tarvix::test::TempDir dir;
    fs::permissions(dir.path(),
                    fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    const fs::path pki = dir.path() / "pki";
    int status = -1;
    tarvix::test::runCommand("umask 022 && " + tarvix::test::shellWord(TARVIX_BIN_DIR "/tarvix-logserver") +
                                 " --make-pki --pki " + tarvix::test::shellWord(pki.string()),
                             &status);
    ASSERT_EQ(status, 0);
    auto readableByNobody = [](const fs::path& file) {
        int status = -1;
        tarvix::test::runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups cat " +
                                     tarvix::test::shellWord(file.string()) + " >/dev/null 2>&1",
                                 &status);
        return status == 0;
    };
    ASSERT_TRUE(readableByNobody(pki / "ca.pem")) << "the attacker cannot even reach the folder";
    for (const char* key : {"ca-key.pem", "server-key.pem"}) {
        struct stat st {};
        ASSERT_EQ(::stat((pki / key).c_str(), &st), 0) << key;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << key;
        EXPECT_FALSE(readableByNobody(pki / key)) << key;
    }
}
