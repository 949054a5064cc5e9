#include "support/LogServer.h"

#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <thread>

#include "config/BuildConfig.h"
#include "support/SampleTargetSupport.h"

namespace tarvix::test {
namespace {

using namespace std::chrono_literals;

std::optional<int> serverPort()
{
    const std::string_view host = BuildConfig::kLogServerHost, prefix = "127.0.0.1:";
    int port = 0;
    if (!host.starts_with(prefix)) return std::nullopt;
    const auto [end, error] = std::from_chars(host.data() + prefix.size(), host.data() + host.size(), port);
    if (error != std::errc() || end != host.data() + host.size() || port <= 0 || port > 65535) return std::nullopt;
    return port;
}

/// A request folder of the server's store: request.txt, body.bin, and result.txt once complete.
std::optional<ReceivedUpload> readRequest(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (!std::filesystem::exists(folder / "result.txt", ec)) return std::nullopt;  // still being received
    ReceivedUpload upload;
    std::istringstream head(readFile(folder / "request.txt"));
    std::string line;
    while (std::getline(head, line)) {
        if (line.ends_with('\r')) line.pop_back();
        if (upload.requestLine.empty())
            upload.requestLine = line;
        else if (const auto colon = line.find(": "); colon != std::string::npos)
            upload.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    upload.body = readFile(folder / "body.bin");
    std::istringstream result(readFile(folder / "result.txt"));
    while (std::getline(result, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "answer") upload.answer = value;
        if (key == "check") {
            upload.wellFormed = value == "ok";
            upload.problem = upload.wellFormed ? "" : value;
        }
        if (key == "boundary") upload.boundary = value;
        if (key == "filename") upload.fileName = value;
        if (key == "stored" && !value.empty()) upload.storedFile = folder / value;
    }
    return upload;
}

}  // namespace

std::optional<std::string> ReceivedUpload::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (key.size() == name.size() && ::strncasecmp(key.data(), name.data(), name.size()) == 0) return value;
    return std::nullopt;
}

std::string ReceivedUpload::fileContent() const { return storedFile.empty() ? std::string() : readFile(storedFile); }

bool LogServer::available() { return serverPort().has_value(); }

std::string LogServer::skipReason()
{
    return std::string("the build's log server host is \"") + BuildConfig::kLogServerHost +
           "\", not 127.0.0.1:PORT; configure with -DTARVIX_LOG_SERVER_HOST=127.0.0.1:PORT to run this test";
}

LogServer::LogServer() : LogServer(Behaviour{}) {}

LogServer::LogServer(Behaviour behaviour, std::filesystem::path storeFolder)
    : m_behaviour(std::move(behaviour)), m_storeFolder(std::move(storeFolder)), m_port(serverPort().value_or(0))
{
    if (m_port == 0) return;
    if (m_storeFolder.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvix-logserver-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        m_storeFolder = pattern;
        m_ownsStoreFolder = true;
    }
    std::error_code ec;
    std::filesystem::create_directories(m_storeFolder, ec);

    // Test programs run in parallel under ctest -j, but the port is the build's: take turns.
    const auto lockPath =
        std::filesystem::temp_directory_path() / ("tarvix-logserver-" + std::to_string(m_port) + ".lock");
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_lockFd < 0) return;
    const auto giveUp = std::chrono::steady_clock::now() + 5min;
    while (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            ::close(m_lockFd);
            m_lockFd = -1;
            return;
        }
        std::this_thread::sleep_for(50ms);
    }
    start();
}

LogServer::~LogServer()
{
    stop();
    if (m_lockFd >= 0) ::close(m_lockFd);
    std::error_code ec;
    if (m_ownsStoreFolder) std::filesystem::remove_all(m_storeFolder, ec);
}

bool LogServer::start()
{
    const std::filesystem::path readyFile = m_storeFolder / ".ready";
    std::error_code ec;
    std::filesystem::remove(readyFile, ec);

    const std::string pki =
        m_behaviour.untrustedCertificate ? (m_storeFolder / "untrusted-pki").string() : TARVIX_PKI_DIR;
    std::vector<std::string> args = {(std::filesystem::path(TARVIX_BIN_DIR) / "tarvix-logserver").string(),
                                     "--pki",
                                     pki,
                                     "--port",
                                     std::to_string(m_port),
                                     "--store",
                                     m_storeFolder.string(),
                                     "--ready-file",
                                     readyFile.string(),
                                     "--status",
                                     std::to_string(m_behaviour.status),
                                     "--body",
                                     m_behaviour.body};
    if (!m_behaviour.host.empty()) args.insert(args.end(), {"--host", m_behaviour.host});
    const std::string after = std::to_string(m_behaviour.afterBytes);
    switch (m_behaviour.mode) {
    case Mode::Normal: break;
    case Mode::EmptyBody: args.push_back("--empty-body"); break;
    case Mode::NoBody: args.push_back("--no-body"); break;
    case Mode::Stall: args.insert(args.end(), {"--stall-after", after}); break;
    case Mode::Drop: args.insert(args.end(), {"--drop-after", after}); break;
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string logPath = (m_storeFolder / "server.log").string();
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        // Only async-signal-safe calls here. The server must not outlive a crashed test, also one
        // that held it stopped: only SIGKILL ends a stopped process.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        if (const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644); log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(readyFile, ec)) return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    stop();
    return false;
}

void LogServer::stop()
{
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    m_pid = -1;
}

bool LogServer::restart(Behaviour behaviour)
{
    stop();
    m_behaviour = std::move(behaviour);
    return m_lockFd >= 0 && start();
}

std::vector<ReceivedUpload> LogServer::received() const
{
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_storeFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit)) folders.push_back(entry.path());
    }
    std::sort(folders.begin(), folders.end());
    std::vector<ReceivedUpload> uploads;
    for (const auto& folder : folders)
        if (auto upload = readRequest(folder)) uploads.push_back(std::move(*upload));
    return uploads;
}

bool LogServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    return waitFor([&] { return received().size() >= count; }, timeout);
}

std::string LogServer::output() const { return readFile(m_storeFolder / "server.log"); }

}  // namespace tarvix::test
