#include "support/LogServer.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "config/BuildConfig.h"

namespace fs = std::filesystem;
using namespace tarvix::test;

using LogServerSafety = LogServerTest;

namespace {

const std::string kHead = "POST /cr-apip-7.0.0/mac/log HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                          "Content-Type: multipart/form-data; boundary=B\r\n";

/// The server's answer to what a shell command writes over one TLS connection: requests the
/// upload itself never makes.
std::string rawRequest(const LogServer& server, const std::string& writer)
{
    return runCommand("{ " + writer +
                      "; } | timeout 20 openssl s_client -quiet -connect 127.0.0.1:" + std::to_string(server.port()) +
                      " -CAfile " + shellWord(tarvix::BuildConfig::kLogServerCaFile) + " 2>/dev/null");
}

}  // namespace

TEST_F(LogServerSafety, ListensOnlyOnNumericLoopbackAddresses)
{
    LogServer server;
    // Numeric loopback addresses only: no name to resolve, no wildcard, no mapped address.
    const std::vector<std::string> hosts = {"127.0.0.2", "::1", "localhost",       "127.1",
                                            "0.0.0.0",   "::",  "::ffff:127.0.0.1"};
    for (std::size_t i = 0; i < hosts.size(); ++i) EXPECT_EQ(server.restart({.host = hosts[i]}), i < 2) << hosts[i];
}

TEST_F(LogServerSafety, RefusesBodiesBeyondTheArchiveLimitAndPrintsClientSuppliedNamesEscaped)
{
    LogServer server;
    const std::string body =
        "\r\n--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a\x1b]0;x\x07\"\\\x7f"
        "\xc2\x9b.zip\"\r\nContent-Type: application/octet-stream\r\n\r\nzip\r\n--B--\r\n";
    std::string named = kHead + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    named.replace(named.find(" HTTP/1.1"), 0, "?\x1b[2J");
    // Announced beyond the limit: refused before the body, which never comes, and nothing kept.
    for (const auto& [request, answer] :
         {std::pair{kHead + "Content-Length: " + std::to_string(1ULL << 40) + "\r\n\r\n", "413 "}, {named, "200 "}}) {
        tarvix::test::writeFile(sandbox.root() / "request", request);
        const std::string response = rawRequest(server, "cat " + shellWord(sandbox.root() / "request"));
        EXPECT_TRUE(response.starts_with("HTTP/1.1 " + std::string(answer))) << response << server.output();
    }
    ASSERT_TRUE(tarvix::test::waitFor([&] { return server.received().size() >= 2; })) << server.output();
    EXPECT_EQ(server.received()[0].answer + " " + std::to_string(server.received()[0].body.size()), "413 0");

    const std::string output = server.output();
    EXPECT_NE(output.find("POST /cr-apip-7.0.0/mac/log?\\x1b[2J: "), std::string::npos) << output;
    EXPECT_NE(output.find("file \"a\\x1b]0;x\\x07\\\"\\\\\\x7f\\xc2\\x9b.zip\""), std::string::npos) << output;
    EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7f); }))
        << "raw control bytes reach the terminal";
}

TEST_F(LogServerSafety, StoresOwnerOnlyAndNothingMoreOnceItsStoreWouldPassItsLimit)
{
    // Each upload reserves 44.5 kB and then holds 40.4 kB (the body, and the file taken out of it):
    // three fit only once the first two gave back what they did not use.
    LogServer server({.storeLimit = 129000});
    const std::string body = "\r\n--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.zip\"\r\n"
                             "Content-Type: application/octet-stream\r\n\r\n" +
                             std::string(20000, 'z') + "\r\n--B--\r\n";
    tarvix::test::writeFile(sandbox.root() / "request",
                            kHead + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    std::string answers;
    const auto upload = [&] {
        answers += rawRequest(server, "cat " + shellWord(sandbox.root() / "request")).substr(9, 4);
    };
    for (int i = 0; i < 4; ++i) upload();
    // Started again over that store, with a limit it already passes.
    ASSERT_TRUE(server.restart({.storeLimit = 60000}));
    upload();
    EXPECT_EQ(answers, "200 200 200 507 507 ") << "the last: a store not empty at start" << server.output();
    EXPECT_EQ(server.received().size(), 3u) << server.output();

    std::set<std::string> modes;
    const auto mode = [](const fs::path& item) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(fs::symlink_status(item).permissions()));
        return item.filename().string() + " " + octal;
    };
    for (const auto& request : fs::directory_iterator(server.storeFolder())) {
        if (!fs::is_directory(request.symlink_status()) || request.path().filename().string().size() != 4) continue;
        modes.insert(mode(request.path()));
        for (const auto& item : fs::recursive_directory_iterator(request.path())) modes.insert(mode(item.path()));
    }
    EXPECT_EQ(modes, (std::set<std::string>{"0001 700", "0002 700", "0003 700", "a.zip 600", "body.bin 600",
                                            "files 700", "request.txt 600", "result.txt 600"}));
}

TEST(LogServerPki, PrivateKeysAreUnreadableToOtherAccounts)
{
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another account needs root";
    tarvix::test::TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const fs::path pki = dir.path() / "pki";
    int status = -1;
    runCommand("umask 022 && " TARVIX_BIN_DIR "/tarvix-logserver --make-pki --pki " + shellWord(pki), &status);
    ASSERT_EQ(status, 0);
    const auto readableByNobody = [](const fs::path& file) {
        int status = -1;
        runCommand("setpriv --reuid=65534 --regid=65534 --clear-groups cat " + shellWord(file) + " >/dev/null 2>&1",
                   &status);
        return status == 0;
    };
    ASSERT_TRUE(readableByNobody(pki / "ca.pem")) << "the attacker cannot even reach the folder";
    for (const char* key : {"ca-key.pem", "server-key.pem"}) EXPECT_FALSE(readableByNobody(pki / key)) << key;
}

TEST(LogServerTurnChild, StartsInItsTurn)
{
    LogServer server;
    EXPECT_TRUE(server.running()) << server.output();
}

TEST(LogServerTurn, AnotherAccountNeitherHoldsNorRedirectsTheTurn)
{
    if (const auto why = LogServer::unavailable(); !why.empty() || ::geteuid() != 0) GTEST_SKIP() << why << " root";
    tarvix::test::TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const std::string host = tarvix::BuildConfig::kLogServerHost, port = host.substr(host.rfind(':') + 1);
    // The lock's old place, where any account could make it; and where a link there would point.
    const fs::path shared = fs::temp_directory_path() / ("tarvix-logserver-" + port + ".lock"),
                   victim = dir.path() / "victim";
    const std::string lock = shellWord(shared), python = "import sys; sys.path.insert(0, '" TARVIX_SOURCE_DIR
                                                         "/tests/gui'); import end_to_end; end_to_end.take_turn('" +
                                                         port + "'); print('turn')";
    for (const std::string& plant :
         {": >>" + lock + "; exec 9<" + lock + "; flock 9", "ln -s " + shellWord(victim) + " " + lock}) {
        fs::remove(shared);
        // The attacker plants, says its pid and stays.
        FILE* attacker = ::popen(("setpriv --reuid=65534 --regid=65534 --clear-groups sh -c " +
                                  shellWord(plant + " && echo $$ && exec sleep 600"))
                                     .c_str(),
                                 "r");
        char pid[32] = {};
        ASSERT_TRUE(attacker && std::fgets(pid, sizeof pid, attacker)) << plant;
        // Both users of the turn get it: the offscreen tests' server and the window tests' script.
        EXPECT_EQ(runCommand("timeout 90 " + childCommand("LogServerTurnChild.StartsInItsTurn") +
                             " | grep -c '^\\[  PASSED  \\] 1 test\\.'; timeout 90 /usr/bin/python3 -c " +
                             shellWord(python)),
                  "1\nturn\n")
            << plant;
        EXPECT_FALSE(fs::exists(fs::symlink_status(victim))) << plant;
        ::kill(std::atoi(pid), SIGKILL);
        ::pclose(attacker);
        fs::remove(shared);
        fs::remove(victim);
    }
}
