#include <curl/curl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "UploadHelpers.h"
#include "config/BuildConfig.h"
#include "support/SampleTargetSupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace upload_test;
using tarvix::test::LogServer;

namespace {

/// One TLS connection to the log server carrying exactly the bytes given: requests the upload
/// itself never makes.
class RawConnection {
public:
    explicit RawConnection(int port) : m_easy(curl_easy_init())
    {
        const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";
        curl_easy_setopt(m_easy.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_easy.get(), CURLOPT_CAINFO, BuildConfig::kLogServerCaFile);
        curl_easy_setopt(m_easy.get(), CURLOPT_CONNECT_ONLY, 1L);
        curl_easy_perform(m_easy.get());
    }

    /// False when not connected or once the server takes no more bytes.
    bool send(std::string_view bytes)
    {
        while (!bytes.empty()) {
            std::size_t n = 0;
            const CURLcode code = curl_easy_send(m_easy.get(), bytes.data(), bytes.size(), &n);
            if (code == CURLE_AGAIN && ready(POLLOUT, 5s)) continue;
            if (code != CURLE_OK) return false;
            bytes.remove_prefix(n);
        }
        return true;
    }

    /// What arrives until the server closes the connection or `limit` has passed.
    std::string receive(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::string text;
        char buffer[4096];
        for (;;) {
            std::size_t n = 0;
            const CURLcode code = curl_easy_recv(m_easy.get(), buffer, sizeof buffer, &n);
            if (code == CURLE_OK && n > 0) {
                text.append(buffer, n);
                continue;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (code != CURLE_AGAIN || left <= 0ms || !ready(POLLIN, left)) return text;
        }
    }

private:
    struct EasyCleanup {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };

    bool ready(short events, std::chrono::milliseconds limit)
    {
        curl_socket_t socket = CURL_SOCKET_BAD;
        curl_easy_getinfo(m_easy.get(), CURLINFO_ACTIVESOCKET, &socket);
        pollfd p{socket, events, 0};
        return ::poll(&p, 1, static_cast<int>(limit.count())) > 0;
    }

    std::unique_ptr<CURL, EasyCleanup> m_easy;
};

const std::string kRequestHead = "POST /cr-apip-7.0.0/mac/log HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                 "Content-Type: multipart/form-data; boundary=B\r\n";

}  // namespace

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

TEST_F(LogServerSafety, RefusesBodiesBeyondTheArchiveLimitAnnouncedOrStreamed)
{
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();

    // Announced: refused before the body, which never comes.
    RawConnection announced(server.port());
    ASSERT_TRUE(announced.send(kRequestHead + "Content-Length: " + std::to_string(1ULL << 40) + "\r\n\r\n"));
    EXPECT_TRUE(announced.receive(3s).starts_with("HTTP/1.1 413 ")) << "no early refusal";

    // Unannounced: chunks until the server takes no more. Neither body is kept.
    RawConnection streamed(server.port());
    ASSERT_TRUE(streamed.send(kRequestHead + "Transfer-Encoding: chunked\r\n\r\n"));
    const std::string chunk = "100000\r\n" + std::string(0x100000, 'x') + "\r\n";
    std::uint64_t sent = 0;
    while (sent < 128 * 0x100000 && streamed.send(chunk)) sent += 0x100000;
    streamed.send("0\r\n\r\n");
    ASSERT_TRUE(server.waitForRequests(2));
    const auto received = server.received();
    for (const auto& request : received) {
        EXPECT_EQ(request.answer, "413");
        EXPECT_TRUE(request.body.empty()) << request.body.size() << " bytes kept of " << sent << " sent";
    }
}

TEST_F(LogServerSafety, PrintsClientSuppliedNamesEscaped)
{
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    const std::string body =
        "\r\n--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a\x1b]0;x\x07\"\\\x7f\xc2\x9b."
        "zip\"\r\nContent-Type: application/octet-stream\r\n\r\nzip\r\n--B--\r\n";
    std::string request = kRequestHead + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    request.replace(request.find(" HTTP/1.1"), 0, "?\x1b[2J");
    RawConnection connection(server.port());
    ASSERT_TRUE(connection.send(request));
    EXPECT_TRUE(connection.receive(5s).starts_with("HTTP/1.1 200 "));

    const std::string output = server.output();
    EXPECT_NE(output.find("POST /cr-apip-7.0.0/mac/log?\\x1b[2J: "), std::string::npos);
    EXPECT_NE(output.find("file \"a\\x1b]0;x\\x07\\\"\\\\\\x7f\\xc2\\x9b.zip\""), std::string::npos);
    EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7f); }))
        << "raw control bytes reach the terminal";
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
