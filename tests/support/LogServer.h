#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvix::test {

/// One POST the log server received, as it stored it.
struct ReceivedUpload {
    std::string requestLine;  ///< "POST /cr-apip-7.0.0/mac/log HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;                  ///< the exact body bytes
    std::string answer;                ///< "200" (the status sent), "stalled" or "dropped"
    bool wellFormed = false;           ///< one file part framed exactly as the upload frames it
    std::string problem;               ///< why not, when not well-formed
    std::string boundary;              ///< from the Content-Type header
    std::string fileName;              ///< the part's filename
    std::filesystem::path storedFile;  ///< the part's bytes as a file (only when well-formed)

    /// A header's value by case-insensitive name.
    std::optional<std::string> header(std::string_view name) const;
    /// The uploaded file's bytes ("" when not well-formed).
    std::string fileContent() const;
};

/// The real `tarvix-logserver` as a child process, listening on the port of
/// BuildConfig::kLogServerHost with the certificates of TARVIX_PKI_DIR (whose ca.pem the build
/// pins). One server per port at a time across processes: construction waits for a lock.
/// The server is ended with the thread that started it (so it never outlives a crashed test):
/// construct it on a thread that lives as long as it does, normally the test's own.
class LogServer {
public:
    enum class Mode { Normal, EmptyBody, NoBody, Stall, Drop };
    struct Behaviour {
        int status = 200;
        std::string body = "{\"result\":\"received\"}";
        Mode mode = Mode::Normal;
        /// Stall and Drop: body bytes read first (the whole body when smaller).
        std::uint64_t afterBytes = 0;
        /// A certificate of a CA the build does not trust.
        bool untrustedCertificate = false;
        /// The address to listen on; empty: the server's default.
        std::string host{};
    };

    /// True when the build's log server host is 127.0.0.1:PORT, so tests can serve it.
    static bool available();
    /// Use as: if (!LogServer::available()) GTEST_SKIP() << LogServer::skipReason();
    static std::string skipReason();

    /// Starts the server; `storeFolder` empty: a fresh temporary folder, removed afterwards.
    LogServer();
    explicit LogServer(Behaviour behaviour, std::filesystem::path storeFolder = {});
    ~LogServer();
    LogServer(const LogServer&) = delete;
    LogServer& operator=(const LogServer&) = delete;

    /// Whether the process started and bound its port; `output()` tells why not.
    bool running() const { return m_pid > 0; }
    /// Stops the server and starts it again with another behaviour (same store folder).
    bool restart(Behaviour behaviour);
    void stop();

    int port() const { return m_port; }
    const std::filesystem::path& storeFolder() const { return m_storeFolder; }
    /// Every completed request so far, oldest first.
    std::vector<ReceivedUpload> received() const;
    /// Waits until at least `count` requests were stored; false on time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    /// What the server printed (one line per request).
    std::string output() const;

private:
    bool start();

    Behaviour m_behaviour;
    std::filesystem::path m_storeFolder;
    bool m_ownsStoreFolder = false;
    int m_port = 0;
    int m_lockFd = -1;
    pid_t m_pid = -1;
};

}  // namespace tarvix::test
