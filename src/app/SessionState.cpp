#include "SessionState.h"

namespace tarvix::app {

QVariant toVariant(int value) { return value; }
QVariant toVariant(bool value) { return value; }
QVariant toVariant(const std::string& value) { return QString::fromStdString(value); }
QVariant toVariant(SecondaryError value) { return QVariant::fromValue(value); }
QVariant toVariant(const std::optional<Field>& value) { return value ? static_cast<int>(*value) : -1; }

SessionState::SessionState() = default;

QVariant SessionState::variant(CellId id) const
{
    switch (id) {
#define TARVIX_CELL_CASE(type, qmlType, name, setter, initial)                                                         \
    case CellId::name: return toVariant(name.get());
        TARVIX_SESSION_CELLS(TARVIX_CELL_CASE)
#undef TARVIX_CELL_CASE
    case CellId::count: break;
    }
    return {};
}

void SessionState::attach(QThread* guiThread, Publisher direct, Publisher queued)
{
    std::lock_guard lock(m_publisherMutex);
    m_guiThread = guiThread;
    m_direct = std::move(direct);
    m_queued = std::move(queued);
}

void SessionState::detach()
{
    std::lock_guard lock(m_publisherMutex);
    m_guiThread = nullptr;
    m_direct = nullptr;
    m_queued = nullptr;
}

void SessionState::publish(CellId id, QVariant value, std::uint64_t sequence)
{
    Publisher direct;
    {
        // The queued publisher posts under the lock, so detach() never races a post to a dead view.
        std::lock_guard lock(m_publisherMutex);
        if (!m_guiThread) return;
        if (QThread::currentThread() != m_guiThread) {
            if (m_queued) m_queued(id, std::move(value), sequence);
            return;
        }
        direct = m_direct;
    }
    // On the GUI thread the write applies at once, outside the lock: the window's reaction may
    // write further cells.
    if (direct) direct(id, std::move(value), sequence);
}

}  // namespace tarvix::app
