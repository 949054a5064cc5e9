#include "platform/UnifiedLog.h"

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <systemd/sd-journal.h>

#include "platform/SerialQueue.h"

namespace platform {
namespace {

constexpr std::size_t kQueueCapacity = 4096;
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

struct Entry {
    LogType type;
    std::string subsystem, category, formatString, message;
};

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

bool journalPresent()
{
    struct stat st {};
    return ::stat(kJournalSocket, &st) == 0 && S_ISSOCK(st.st_mode);
}

// sd_journal_send blocks when journald stops reading and reports success when there is no
// journald at all, so entries go through one writer thread and a bounded queue.
class JournalWriter {
public:
    void push(Entry entry)
    {
        const bool queued = m_queue.async([this, entry = std::move(entry)] {
            if (send(entry)) m_sent.fetch_add(1, std::memory_order_relaxed);
        });
        (queued ? m_queued : m_dropped).fetch_add(1, std::memory_order_relaxed);
    }

    UnifiedLogStats stats() const
    {
        return {m_queued.load(std::memory_order_relaxed), m_sent.load(std::memory_order_relaxed),
                m_dropped.load(std::memory_order_relaxed)};
    }

    void flush() { m_queue.waitUntilIdle(std::chrono::seconds(5)); }

private:
    static bool send(const Entry& e)
    {
        if (!journalPresent()) return false;
        // The format string carries "%@" for the message; the journal gets the filled-in text.
        std::string text = e.formatString;
        if (auto at = text.find("%@"); at != std::string::npos) text.replace(at, 2, e.message);
        return sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%i", priorityOf(e.type),
                               "SYSLOG_IDENTIFIER=tarvix", "TARVIX_SUBSYSTEM=%s", e.subsystem.c_str(),
                               "TARVIX_CATEGORY=%s", e.category.c_str(), nullptr) >= 0;
    }

    std::atomic<std::uint64_t> m_queued{0}, m_sent{0}, m_dropped{0};
    SerialQueue m_queue{"TarvixJournal", kQueueCapacity};
};

JournalWriter& writer()
{
    // Never destroyed: the writer thread may still be sending while the process exits.
    static auto* instance = new JournalWriter;
    return *instance;
}

}  // namespace

void sendToUnifiedLog(LogType type, const std::string& subsystem, const std::string& category,
                      const std::string& formatString, const std::string& message)
{
    writer().push({type, subsystem, category, formatString, message});
}

UnifiedLogStats unifiedLogStats() { return writer().stats(); }

void flushUnifiedLog() { writer().flush(); }

}  // namespace platform
