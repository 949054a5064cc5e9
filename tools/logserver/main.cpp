// tarvix-logserver: the HTTPS log server the tests and the demo upload to. See --help.
#include <httplib.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "Options.h"
#include "Pki.h"
#include "Recorder.h"
#include "StoreSpace.h"
#include "TerminalText.h"
#include "platform/Files.h"

#if defined(__SANITIZE_THREAD__)
// cpp-httplib is not instrumented: the guarded statics one connection's thread fills and another's
// reads are ordered by an atomic ThreadSanitizer cannot see, which it would report as a race.
extern "C" const char* __tsan_default_suppressions() { return "called_from_lib:libcpp-httplib.so\n"; }
#endif

namespace {

using namespace tarvix::logserver;

constexpr const char* kLogPath = "/cr-apip-7.0.0/mac/log";
// The upload refuses archives of 100 MiB or more; its framing adds less than a kilobyte.
constexpr std::uint64_t kMaxRequestBytes = 101 * 1024 * 1024;
/// More than result.txt takes for any but an absurd file name.
constexpr std::uint64_t kResultBytes = 4096;

std::atomic<bool> g_stopping{false};
std::mutex g_outputMutex;

void say(const std::string& line)
{
    std::lock_guard lock(g_outputMutex);
    std::cout << line << std::endl;
}

bool isBookkeepingHeader(const std::string& name)
{
    // cpp-httplib adds these itself; they never came over the wire.
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

std::optional<std::filesystem::path> nextRequestFolder(const Options& options)
{
    static std::atomic<int> counter{0};
    if (!options.storeFolder) return std::nullopt;
    std::error_code ec;
    for (;;) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d", ++counter);
        const auto folder = *options.storeFolder / name;
        if (std::filesystem::create_directory(folder, ec)) return folder;
        if (ec) return std::nullopt;
    }
}

/// The request line and headers, as request.txt keeps them.
std::string requestHead(const httplib::Request& req)
{
    std::string head = req.method + ' ' + req.target + ' ' + req.version + "\r\n";
    for (const auto& [name, value] : req.headers)
        if (!isBookkeepingHeader(name)) head += name + ": " + value + "\r\n";
    return head;
}

/// Holds a connection we stopped reading until the client gives up on it (or we stop).
void holdUntilClientLeaves(int fd, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!g_stopping && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLRDHUP, 0};
        if (::poll(&p, 1, 100) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))) return;
    }
}

void handleUpload(const Options& options, StoreSpace* space, const httplib::Request& req, httplib::Response& res,
                  const httplib::ContentReader& reader)
{
    std::optional<std::uint64_t> contentLength;
    if (req.has_header("Content-Length")) contentLength = req.get_header_value<std::uint64_t>("Content-Length");
    const std::string head = requestHead(req);
    // Reserved before a byte is stored: the body twice (as sent, and the file taken out of it),
    // the head and the result.
    const std::uint64_t reserved =
        2 * std::min(contentLength.value_or(kMaxRequestBytes), kMaxRequestBytes) + head.size() + kResultBytes;
    if (space && !space->reserve(reserved)) {
        say("POST " + terminalText(req.target) + ": not stored, the store would pass " +
            std::to_string(options.storeLimit) + " bytes; answer 507");
        res.status = 507;
        res.set_header("Connection", "close");
        return;
    }
    const auto folder = nextRequestFolder(options);
    if (folder) std::ofstream(*folder / "request.txt", std::ios::binary) << head;
    const std::string contentType = req.get_header_value("Content-Type");
    Recorder recorder(folder, contentType, contentLength);
    // cpp-httplib hands a multipart body only to its own part parser, never to a plain content
    // receiver. The request object is cpp-httplib's own mutable local, so relabelling it here
    // makes the reader deliver the exact bytes.
    auto& headers = const_cast<httplib::Headers&>(req.headers);
    headers.erase("Content-Type");
    headers.emplace("Content-Type", "application/octet-stream");

    const bool interrupts = options.answer == Answer::Stall || options.answer == Answer::Drop;
    // Refused by its announced length before a byte is read; a body without a length is refused
    // once it passes the limit.
    bool tooLarge = contentLength && *contentLength > kMaxRequestBytes;
    std::uint64_t received = 0;
    if (!tooLarge && (!interrupts || options.afterBytes > 0)) {
        reader([&](const char* data, std::size_t size) {
            if (received + size > kMaxRequestBytes) {
                tooLarge = true;
                return false;
            }
            std::size_t take = size;
            if (interrupts && received + size >= options.afterBytes)
                take = static_cast<std::size_t>(options.afterBytes - received);
            recorder.append(data, take);
            received += take;
            return !(interrupts && received >= options.afterBytes);
        });
    }
    BodyCheck check;
    if (tooLarge) {
        recorder.discard();
        check.problem = "too large, more than " + std::to_string(kMaxRequestBytes) + " bytes";
        check.bodySize = received;
    } else {
        check = recorder.finish();
    }

    std::string answer = std::to_string(tooLarge ? 413 : options.status);
    if (interrupts && !tooLarge) answer = options.answer == Answer::Stall ? "stalled" : "dropped";
    if (folder) {
        // Written aside and renamed: a reader that polls for result.txt never sees it half written.
        {
            std::ofstream out(*folder / "result.txt.part", std::ios::binary);
            out << "answer=" << answer << "\ncheck=" << (check.ok ? "ok" : check.problem)
                << "\nboundary=" << check.boundary << "\nfilename=" << check.fileName
                << "\nbody_size=" << check.bodySize << "\narchive_size=" << check.archiveSize
                << "\nstored=" << (check.ok ? "files/" + safeFileName(check.fileName) : "") << "\n";
        }
        std::error_code ec;
        std::filesystem::rename(*folder / "result.txt.part", *folder / "result.txt", ec);
    }
    if (space) space->settle(reserved, folder.value_or(std::filesystem::path()));
    say("POST " + terminalText(req.target) + ": " + std::to_string(check.bodySize) + " body bytes, " +
        (check.ok ? "well-formed, file \"" + terminalText(check.fileName) + "\" of " +
                        std::to_string(check.archiveSize) + " bytes"
                  : "malformed (" + check.problem + ")") +
        "; answer " + answer);
    if (tooLarge) {
        res.status = 413;
        res.set_header("Connection", "close");
        return;
    }

    const int fd = req.ssl ? SSL_get_fd(req.ssl) : -1;
    if (options.answer == Answer::Stall && fd >= 0) holdUntilClientLeaves(fd, options.stallSeconds);
    if (interrupts) {
        // cpp-httplib owns the socket and closes it later; shutting it down here makes sure no
        // answer it might still try to write reaches the client.
        if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
        return;
    }
    res.status = options.status;
    switch (options.answer) {
    case Answer::EmptyBody: res.set_content("", "text/plain"); break;
    case Answer::NoBody:
        // Without a length the body ends only when the connection does; cpp-httplib would hold it
        // open for its keep-alive time, so the provider (run after the headers went out) closes
        // the TLS session and the socket's sending side itself.
        res.set_header("Connection", "close");
        res.set_content_provider("text/plain", [ssl = req.ssl](std::size_t, httplib::DataSink& sink) {
            sink.done();
            if (ssl) {
                SSL_shutdown(const_cast<SSL*>(ssl));
                ::shutdown(SSL_get_fd(ssl), SHUT_WR);
            }
            return true;
        });
        break;
    default: res.set_content(options.body, "application/json"); break;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << "tarvix-logserver: " << options.message() << "\n\n" << kUsage;
        return 2;
    }
    if (options->helpAsked) {
        std::cout << kUsage;
        return 0;
    }
    if (const auto pki = ensurePki(options->pkiFolder); !pki) {
        std::cerr << "tarvix-logserver: " << pki.message() << "\n";
        return 1;
    }
    if (options->makePkiOnly) return 0;
    // Uploads hold user logs: whatever the server stores from here on is its own account's only.
    ::umask(077);
    std::optional<StoreSpace> space;
    if (options->storeFolder) {
        if (auto made = tarvix::platform::createPrivateFolders(*options->storeFolder); !made) {
            std::cerr << "tarvix-logserver: cannot create " << *options->storeFolder << ": " << made.message() << "\n";
            return 1;
        }
        space.emplace(*options->storeFolder, options->storeLimit);
    }

    // Signals are taken by one waiting thread; every other thread inherits the blocked mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const PkiFiles files = pkiFiles(options->pkiFolder);
    httplib::SSLServer server(files.serverCertificate.c_str(), files.serverKey.c_str());
    if (!server.is_valid()) {
        std::cerr << "tarvix-logserver: cannot load the certificate in " << options->pkiFolder << "\n";
        return 1;
    }
    // One request per connection: the upload makes one request anyway, and no idle keep-alive
    // connection delays a stop.
    server.set_keep_alive_max_count(1);
    server.Post(kLogPath, [&options, &space](const httplib::Request& req, httplib::Response& res,
                                             const httplib::ContentReader& reader) {
        handleUpload(*options, space ? &*space : nullptr, req, res, reader);
    });
    // cpp-httplib's default adds SO_REUSEPORT, which would let a second server share the port
    // with a leftover one; a clash must fail loudly instead.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (!server.bind_to_port(options->host, options->port)) {
        std::cerr << "tarvix-logserver: cannot listen on " << options->host << ":" << options->port << "\n";
        return 1;
    }
    std::thread signalWaiter([&server, &signals] {
        int received = 0;
        sigwait(&signals, &received);
        g_stopping = true;
        server.stop();
        // Every request is stored before it is answered, so nothing is lost by not waiting for
        // cpp-httplib to wind down connections a client still holds open.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::_Exit(0);
    });
    if (options->readyFile) std::ofstream(*options->readyFile) << options->port << "\n";
    say("listening on https://" + options->host + ":" + std::to_string(options->port) + kLogPath);
    const bool stoppedBySignal = server.listen_after_bind() || g_stopping;
    std::cout.flush();
    std::_Exit(stoppedBySignal ? 0 : 1);
}
