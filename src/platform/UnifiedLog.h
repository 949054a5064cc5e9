#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tarvix::platform {

enum class LogType { Default, Info, Debug, Error, Fault };

struct UnifiedLogStats {
    std::uint64_t queued = 0;
    std::uint64_t sent = 0;
    std::uint64_t dropped = 0;
};

/// Where the system journal takes entries in its native protocol.
inline constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

/// Sends entries to a journal socket from one writer thread. Never blocks: when the bounded queue
/// is full the entry is dropped and counted; when no socket is there nothing is sent. Fields:
/// MESSAGE (the format string filled in), PRIORITY, SYSLOG_IDENTIFIER=tarvix, TARVIX_SUBSYSTEM,
/// TARVIX_CATEGORY.
class Journal {
public:
    explicit Journal(std::filesystem::path socket = kJournalSocket, std::size_t capacity = 4096);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    void send(LogType type, const std::string& subsystem, const std::string& category, const std::string& formatString,
              const std::string& message);
    UnifiedLogStats stats() const;
    /// Waits (bounded) until the writer has handled everything queued so far. For tests and exit.
    void flush();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

/// The system journal's writer, one per process (never destroyed: its thread may still be sending
/// while the process exits).
const std::shared_ptr<Journal>& systemJournal();

}  // namespace tarvix::platform
