#include "SessionState.h"

namespace tarvix::app {

QVariant toVariant(int value) { return value; }
QVariant toVariant(bool value) { return value; }
QVariant toVariant(const std::string& value) { return QString::fromStdString(value); }
QVariant toVariant(SecondaryError value) { return QVariant::fromValue(value); }
QVariant toVariant(const std::optional<Field>& value) { return value ? static_cast<int>(*value) : -1; }

SessionState::SessionState() = default;

namespace {

/// What follows from one phase. The initial cell values are those of `ready`.
struct PhaseCells {
    const char* startButtonLabel;
    const char* primaryButtonColor;
    const char* primaryButtonTextColor;
    bool monitoringPanels;  ///< the capture options and the status line, else the feedback form
    bool isCloseLayoutVisible;
    bool isLoggingCompleteVisible;
    bool isUploadFailedLayoutVisible;
    /// Set on entry; absent: the window (the form) decides.
    std::optional<bool> primaryButtonDisabled;
};

PhaseCells cellsOf(Phase phase)
{
    switch (phase) {
    case Phase::ready: return {"Start monitoring", "PrimaryColor", "white", true, false, false, false, {}};
    case Phase::monitoring:
        return {"Stop monitoring", "PrimaryTextColor", "BackgroundColor", true, false, false, false, {}};
    case Phase::collecting:
        return {"Stop monitoring", "PrimaryTextColor", "BackgroundColor", true, false, false, false, true};
    case Phase::logsReady: return {"Share logs", "PrimaryColor", "white", false, false, true, false, {}};
    case Phase::packaging: return {"Share logs", "PrimaryColor", "white", false, false, true, false, true};
    case Phase::uploading: return {"Stop upload", "PrimaryColor", "white", false, false, true, false, false};
    case Phase::sent: return {"Close", "clear", "white", false, true, true, false, false};
    case Phase::failed: return {"Share logs", "PrimaryColor", "white", false, false, false, true, false};
    }
    return cellsOf(Phase::ready);
}

/// Writes only a changed value: the window sees one change per cell that changed.
template <typename T, typename V>
void update(StateCell<T>& cell, const V& value)
{
    if (cell.get() != T(value)) cell.set(T(value));
}

}  // namespace

Phase SessionState::phase() const
{
    std::lock_guard lock(m_phaseMutex);
    return m_phase;
}

void SessionState::setPhase(Phase phase)
{
    std::lock_guard lock(m_changeMutex);
    enterPhase(phase);
}

bool SessionState::setPhaseIf(Phase expected, Phase phase)
{
    std::lock_guard lock(m_changeMutex);
    if (this->phase() != expected) return false;
    enterPhase(phase);
    return true;
}

void SessionState::enterPhase(Phase phase)
{
    {
        std::lock_guard lock(m_phaseMutex);
        m_phase = phase;
    }
    const PhaseCells cells = cellsOf(phase);
    update(startButtonLabel, cells.startButtonLabel);
    update(advanceLogToggleDisabled, phase != Phase::ready);
    update(primaryButtonColor, cells.primaryButtonColor);
    update(primaryButtonTextColor, cells.primaryButtonTextColor);
    update(isLogEditorVisible, cells.monitoringPanels);
    update(isLogLabelVisible, cells.monitoringPanels);
    update(isFeedbackLayoutVisible, !cells.monitoringPanels && phase != Phase::sent);
    update(isCloseLayoutVisible, cells.isCloseLayoutVisible);
    update(isLoggingCompleteVisible, cells.isLoggingCompleteVisible);
    update(isUploadFailedLayoutVisible, cells.isUploadFailedLayoutVisible);
    update(thickBorderButtonStyle, phase == Phase::sent);
    if (cells.primaryButtonDisabled) primaryButtonDisabled.set(*cells.primaryButtonDisabled);
}

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
