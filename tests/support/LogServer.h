#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "support/Sandbox.h"

namespace tarvix::test {

/// One POST the log server received, as it stored it.
struct ReceivedUpload {
    std::string head;      ///< request line and headers, CR LF separated
    std::string body;      ///< the exact body bytes
    std::string answer;    ///< "200" (the status sent), "stalled" or "dropped"
    std::string check;     ///< "ok" when one file part is framed exactly as the upload frames it
    std::string boundary;  ///< from the Content-Type header
    std::string file;      ///< the part's bytes as the server stored them
};

/// The real `tarvix-logserver` as a child process on the port of tarvix::BuildConfig::kLogServerHost,
/// with the certificates of TARVIX_PKI_DIR (whose ca.pem the build pins). The port is the
/// build's, so its users take turns across processes and build folders: construction waits
/// for the port's turn lock.
/// The server ends with the thread that started it, so construct it on the test's own thread.
class LogServer {
public:
    enum class Mode { Normal, EmptyBody, NoBody, Stall, Drop };
    struct Behaviour {
        int status = 200;
        std::string body = "{\"result\":\"received\"}";
        Mode mode = Mode::Normal;
        std::uint64_t afterBytes = 0;  ///< Stall and Drop: body bytes read first
        bool untrustedCertificate = false;
        std::string host{};            ///< the address to listen on; empty: the server's default
        std::uint64_t storeLimit = 0;  ///< bytes the store may hold; 0: the server's default
    };

    /// Why tests cannot serve the build's log server host (not 127.0.0.1:PORT); empty when they can.
    static std::string unavailable();

    LogServer();
    explicit LogServer(Behaviour behaviour);
    ~LogServer();

    bool running() const { return m_pid > 0; }
    /// Stops the server and starts it again with another behaviour (same store folder).
    bool restart(Behaviour behaviour);
    void stop();

    int port() const { return m_port; }
    const std::filesystem::path& storeFolder() const { return m_store.path(); }
    /// Every completed request so far, oldest first.
    std::vector<ReceivedUpload> received() const;
    std::string output() const;

private:
    bool start();

    Behaviour m_behaviour;
    TempDir m_store;
    int m_port = 0;
    int m_lockFd = -1;
    pid_t m_pid = -1;
};

/// A test with a sandbox that talks to the build's log server, skipped where the build cannot serve it.
class LogServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    }
    Sandbox sandbox;
};

}  // namespace tarvix::test
