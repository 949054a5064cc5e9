#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>

#include "core/pending/Offer.h"
#include "core/upload/UploadAPI.h"
#include "support/LogServer.h"

namespace fs = std::filesystem;
using tarvix::test::shellWord;

namespace {

/// A loopback port nobody listens on right now.
int freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

/// Debian's tinyproxy in the foreground on a free loopback port, tunnelling only to `allowedPort`.
class ForwardingProxy {
public:
    explicit ForwardingProxy(int allowedPort) : m_port(freePort())
    {
        const fs::path config = m_dir.path() / "proxy.conf";
        tarvix::test::writeFile(config, "Port " + std::to_string(m_port) +
                                            "\nListen 127.0.0.1\nTimeout 30\nLogLevel Info\nMaxClients 8\n"
                                            "Allow 127.0.0.1\nDisableViaHeader Yes\nConnectPort " +
                                            std::to_string(allowedPort) + "\n");
        const std::string command = "exec tinyproxy -d -c " + shellWord(config) + " >" + shellWord(log()) + " 2>&1";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            ::_exit(127);
        }
        EXPECT_TRUE(tarvix::test::waitFor([this] {
            return tarvix::test::readFile(log()).find("Accepting connections.") != std::string::npos;
        })) << tarvix::test::readFile(log());
    }
    ~ForwardingProxy()
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    fs::path log() const { return m_dir.path() / "proxy.log"; }

private:
    tarvix::test::TempDir m_dir;
    int m_port;
    pid_t m_pid = -1;
};

}  // namespace

TEST(UploadProxyChild, Upload)
{
    tarvix::test::Sandbox sandbox;
    tarvix::test::writeFile(sandbox.root() / "a.zip", "through the proxy");
    std::promise<tarvix::UploadAPI::Result> done;
    tarvix::UploadAPI::upload(sandbox.root() / "a.zip", nullptr,
                              [&](tarvix::UploadAPI::Result result) { done.set_value(std::move(result)); });
    const auto result = done.get_future().get();
    std::cout << "OUTCOME["
              << (result ? std::string("sent")
                         : std::to_string(result.error().code) +
                               (tarvix::pending::mayPassLater(result.error()) ? " offered" : " not offered"))
              << "]" << std::endl;
}

using UploadProxy = tarvix::test::LogServerTest;

TEST_F(UploadProxy, GoesThroughTheEnvironmentsProxyUnlessNoProxyNamesTheHostAndAMissingOrRefusingProxyMayPass)
{
    tarvix::test::LogServer server;
    ForwardingProxy proxy(server.port()), refusing(1);
    const std::string tunnel = "CONNECT 127.0.0.1:" + std::to_string(server.port());
    struct Row {
        std::string environment, outcome;
        bool tunnelled;
    };
    for (const Row& row : std::vector<Row>{
             {"https_proxy=" + proxy.url(), "sent", true},
             {"HTTPS_PROXY=" + proxy.url(), "sent", true},
             {"https_proxy=" + proxy.url() + " no_proxy=127.0.0.1", "sent", false},
             {"https_proxy=http://127.0.0.1:" + std::to_string(freePort()), "-1004 offered", false},
             {"https_proxy=" + refusing.url(), "-1005 offered", false},
         }) {
        const std::size_t before = server.received().size();
        const auto tunnels = [&] {
            const std::string log = tarvix::test::readFile(proxy.log());
            std::size_t count = 0;
            for (auto at = log.find(tunnel); at != std::string::npos; at = log.find(tunnel, at + 1)) ++count;
            return count;
        };
        const std::size_t tunnelsBefore = tunnels();
        const std::string output =
            tarvix::test::runCommand(tarvix::test::childCommand("UploadProxyChild.Upload", row.environment) + " 2>&1");
        const auto start = output.find("OUTCOME[");
        ASSERT_NE(start, std::string::npos) << output;
        EXPECT_EQ(output.substr(start + 8, output.find(']', start) - start - 8), row.outcome) << row.environment;
        EXPECT_EQ(server.received().size() - before, row.outcome == "sent" ? 1u : 0u) << row.environment;
        EXPECT_EQ(tunnels() - tunnelsBefore, row.tunnelled ? 1u : 0u) << row.environment;
    }
    EXPECT_NE(tarvix::test::readFile(refusing.log()).find(tunnel), std::string::npos) << "never asked to refuse";
}
