#include <sys/stat.h>
#include <systemd/sd-journal.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/UnifiedLog.h"

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
    JournalWriter() : m_thread([this] { run(); }) {}
    ~JournalWriter()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void push(Entry entry)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.size() >= kQueueCapacity) {
                ++m_stats.dropped;
                return;
            }
            m_queue.push_back(std::move(entry));
            ++m_stats.queued;
        }
        m_wake.notify_one();
    }

    UnifiedLogStats stats()
    {
        std::lock_guard lock(m_mutex);
        return m_stats;
    }

    void flush()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait_for(lock, std::chrono::seconds(5), [&] { return m_queue.empty() && !m_busy; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty()) return;
            Entry entry = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            lock.unlock();
            const bool sent = send(entry);
            lock.lock();
            m_busy = false;
            if (sent) ++m_stats.sent;
            m_idle.notify_all();
        }
    }

    static bool send(const Entry& e)
    {
        if (!journalPresent()) return false;
        // The format string carries "%@" for the message, as the original unified log did; the
        // journal gets the filled-in text.
        std::string text = e.formatString;
        if (auto at = text.find("%@"); at != std::string::npos) text.replace(at, 2, e.message);
        return sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%i", priorityOf(e.type),
                               "SYSLOG_IDENTIFIER=tarvix", "TARVIX_SUBSYSTEM=%s", e.subsystem.c_str(),
                               "TARVIX_CATEGORY=%s", e.category.c_str(), nullptr) >= 0;
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_idle;
    std::deque<Entry> m_queue;
    UnifiedLogStats m_stats;
    bool m_stopping = false;
    bool m_busy = false;
    std::thread m_thread;
};

JournalWriter& writer()
{
    static JournalWriter instance;
    return instance;
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
