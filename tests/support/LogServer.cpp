#include "support/LogServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "config/BuildConfig.h"

namespace fs = std::filesystem;

namespace tarvix::test {

using namespace std::chrono_literals;

static int serverPort()
{
    int port = 0, length = 0;
    const char* host = tarvix::BuildConfig::kLogServerHost;
    if (std::sscanf(host, "127.0.0.1:%5d%n", &port, &length) != 1 || host[length] != '\0' || port > 65535) return 0;
    return port;
}

/// An open lock file `name` in the machine's private folder of test turns (root's /run, else the
/// user's runtime folder); -1, and a test failure, when the folder is not ours alone.
static int openTurnLock(const std::string& name)
{
    // Machine-wide, so that build folders sharing a port take turns; in a folder only we can
    // write, so that no other account can hold a turn or plant a link where root creates it.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path folder = ::geteuid() == 0      ? fs::path("/run")
                            : runtime && *runtime ? fs::path(runtime)
                                                  : fs::path("/run/user") / std::to_string(::geteuid());
    const fs::path locks = folder / "tarvix-test-locks";
    ::mkdir(locks.c_str(), 0700);
    const int dir = ::open(locks.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat owner {};
    int fd = -1;
    if (dir >= 0 && ::fstat(dir, &owner) == 0 && owner.st_uid == ::geteuid() && (owner.st_mode & 077) == 0)
        fd = ::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        ADD_FAILURE() << "no turn lock in " << locks << ": not a private folder of ours, or " << std::strerror(errno);
    if (dir >= 0) ::close(dir);
    return fd;
}

std::string LogServer::unavailable()
{
    if (serverPort() != 0) return "";
    return std::string("the build's log server host is \"") + tarvix::BuildConfig::kLogServerHost +
           "\", not 127.0.0.1:PORT; configure with -DTARVIX_LOG_SERVER_HOST=127.0.0.1:PORT to run this test";
}

LogServer::LogServer() : LogServer(Behaviour{}) {}

LogServer::LogServer(Behaviour behaviour) : m_behaviour(std::move(behaviour)), m_port(serverPort())
{
    if (m_port == 0) return;
    m_lockFd = openTurnLock("logserver-" + std::to_string(m_port) + ".lock");
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX) == 0) start();
}

LogServer::~LogServer()
{
    stop();
    if (m_lockFd >= 0) ::close(m_lockFd);
}

bool LogServer::start()
{
    const fs::path ready = m_store.path() / ".ready";
    std::error_code ec;
    fs::remove(ready, ec);
    const Behaviour& b = m_behaviour;
    const fs::path pki = b.untrustedCertificate ? m_store.path() / "untrusted-pki" : fs::path(TARVIX_PKI_DIR);
    std::string command = "exec " +
                          commandLine({TARVIX_BIN_DIR "/tarvix-logserver", "--pki", pki, "--store", m_store.path(),
                                       "--ready-file", ready, "--body", b.body}) +
                          " --port " + std::to_string(m_port) + " --status " + std::to_string(b.status);
    if (!b.host.empty()) command += " --host " + shellWord(b.host);
    if (b.storeLimit) command += " --store-limit " + std::to_string(b.storeLimit);
    const std::string after = " " + std::to_string(b.afterBytes);
    command += std::array<std::string, 5>{"", " --empty-body", " --no-body", " --stall-after" + after,
                                          " --drop-after" + after}[static_cast<int>(b.mode)];
    command += " >>" + shellWord(m_store.path() / "server.log") + " 2>&1";
    const pid_t parent = ::getpid();

    m_pid = ::fork();
    if (m_pid < 0) return false;
    if (m_pid == 0) {
        // Only async-signal-safe calls here. The server must not outlive a crashed test, also one
        // that held it stopped: only SIGKILL ends a stopped process.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() == parent) ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    const bool exited =
        waitFor([&] { return fs::exists(ready, ec) || ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; }, 60s);
    if (exited && fs::exists(ready, ec)) return true;
    if (exited) m_pid = -1;
    stop();
    return false;
}

void LogServer::stop()
{
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    if (!waitFor([this] { return ::waitpid(m_pid, nullptr, WNOHANG) != 0; }, 5s)) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
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
    // A request's folder NNNN/ holds request.txt and body.bin, and result.txt once it is complete.
    std::set<fs::path> folders;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_store.path(), ec))
        if (fs::exists(entry.path() / "result.txt", ec)) folders.insert(entry.path());
    std::vector<ReceivedUpload> uploads;
    for (const auto& folder : folders) {
        std::map<std::string, std::string> result;
        std::istringstream lines(readFile(folder / "result.txt"));
        for (std::string line; std::getline(lines, line);)
            if (const auto equals = line.find('='); equals != std::string::npos)
                result[line.substr(0, equals)] = line.substr(equals + 1);
        uploads.push_back({readFile(folder / "request.txt"), readFile(folder / "body.bin"), result["answer"],
                           result["check"], result["boundary"],
                           result["stored"].empty() ? "" : readFile(folder / result["stored"])});
    }
    return uploads;
}

std::string LogServer::output() const { return readFile(m_store.path() / "server.log"); }

}  // namespace tarvix::test
