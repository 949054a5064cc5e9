#include "platform/UnifiedLog.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Files.h"
#include "platform/SerialQueue.h"

namespace tarvix::platform {
namespace {

int priorityOf(LogType type)
{
    switch (type) {
    case LogType::Debug: return 7;
    case LogType::Info: return 6;
    case LogType::Default: return 5;
    case LogType::Error: return 3;
    case LogType::Fault: return 2;
    }
    return 6;
}

/// One field of the native protocol; a value with a line feed goes with its length in front.
void addField(std::string& datagram, std::string_view name, std::string_view value)
{
    datagram += name;
    if (value.find('\n') == std::string_view::npos) {
        datagram += '=';
    } else {
        datagram += '\n';
        std::uint64_t length = value.size();
        for (int byte = 0; byte < 8; ++byte, length >>= 8) datagram += static_cast<char>(length & 0xff);
    }
    datagram += value;
    datagram += '\n';
}

/// An entry too large for one datagram goes as a sealed memory file, as the journal expects.
bool sendAsMemoryFile(int socket, const sockaddr_un& address, std::string_view datagram)
{
    FileDescriptor memory(::memfd_create("tarvix-journal", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!memory || !writeAll(memory.get(), datagram)) return false;
    if (::fcntl(memory.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) return false;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_un*>(&address);
    message.msg_namelen = sizeof address;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    const int fd = memory.get();
    std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    return ::sendmsg(socket, &message, MSG_NOSIGNAL) >= 0;
}

}  // namespace

// A send blocks while the journal does not read, so entries go through one writer thread and a
// bounded queue; what the queue holds keeps the state alive after the Journal is gone.
struct Journal::State {
    std::filesystem::path socket;
    std::atomic<std::uint64_t> queued{0}, sent{0}, dropped{0};
    SerialQueue queue;

    State(std::filesystem::path path, std::size_t capacity) : socket(std::move(path)), queue("TarvixJournal", capacity)
    {
    }

    bool send(std::string_view datagram) const
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (socket.native().size() >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path, socket.c_str(), socket.native().size());
        FileDescriptor fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (!fd) return false;
        if (::sendto(fd.get(), datagram.data(), datagram.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
                     sizeof address) >= 0)
            return true;
        return (errno == EMSGSIZE || errno == ENOBUFS) && sendAsMemoryFile(fd.get(), address, datagram);
    }
};

Journal::Journal(std::filesystem::path socket, std::size_t capacity)
    : m_state(std::make_shared<State>(std::move(socket), capacity))
{
}

Journal::~Journal() = default;

void Journal::send(LogType type, const std::string& subsystem, const std::string& category,
                   const std::string& formatString, const std::string& message)
{
    // The format string carries "%@" for the message; the journal gets the filled-in text.
    std::string text = formatString;
    if (auto at = text.find("%@"); at != std::string::npos) text.replace(at, 2, message);
    std::string datagram;
    addField(datagram, "MESSAGE", text);
    addField(datagram, "PRIORITY", std::to_string(priorityOf(type)));
    addField(datagram, "SYSLOG_IDENTIFIER", "tarvix");
    addField(datagram, "TARVIX_SUBSYSTEM", subsystem);
    addField(datagram, "TARVIX_CATEGORY", category);
    const bool queued = m_state->queue
                            .offer([state = m_state, datagram = std::move(datagram)] {
                                if (state->send(datagram)) state->sent.fetch_add(1, std::memory_order_relaxed);
                            })
                            .ok();
    (queued ? m_state->queued : m_state->dropped).fetch_add(1, std::memory_order_relaxed);
}

UnifiedLogStats Journal::stats() const
{
    return {m_state->queued.load(std::memory_order_relaxed), m_state->sent.load(std::memory_order_relaxed),
            m_state->dropped.load(std::memory_order_relaxed)};
}

// A journal that does not take the datagrams in time is not waited for longer: the log file has them.
void Journal::flush() { m_state->queue.waitUntilIdle(std::chrono::seconds(5)).absorb(); }

const std::shared_ptr<Journal>& systemJournal()
{
    static const auto* instance = new std::shared_ptr<Journal>(std::make_shared<Journal>());
    return *instance;
}

}  // namespace tarvix::platform
