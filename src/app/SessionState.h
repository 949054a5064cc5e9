#pragma once

#include <QThread>
#include <QVariant>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "CaptureDetails.h"
#include "SessionCells.h"
#include "SessionTypes.h"

namespace tarvix::app {

enum class CellId {
#define TARVIX_CELL_ID(type, qmlType, name, setter, initial) name,
    TARVIX_SESSION_CELLS(TARVIX_CELL_ID)
#undef TARVIX_CELL_ID
        count
};
inline constexpr int kCellCount = static_cast<int>(CellId::count);

QVariant toVariant(int value);
QVariant toVariant(bool value);
QVariant toVariant(const std::string& value);
QVariant toVariant(SecondaryError value);
QVariant toVariant(const std::optional<Field>& value);

/// Where a cell's writes go for the window: called with the cell, its new value and the write's
/// sequence number (the window drops a copy older than the one it shows).
using Publisher = std::function<void(CellId, QVariant, std::uint64_t)>;

class SessionState;

/// One state cell: the authoritative value behind a lock (a flow reads its own writes), and a
/// publication of every write to the window.
template <typename T>
class StateCell {
public:
    StateCell(SessionState& state, CellId id, T initial) : m_state(state), m_id(id), m_value(std::move(initial)) {}
    StateCell(const StateCell&) = delete;
    StateCell& operator=(const StateCell&) = delete;

    T get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void set(T value);

private:
    SessionState& m_state;
    const CellId m_id;
    mutable std::mutex m_mutex;
    T m_value;
};

/// The session state of one window. Shared by the view and every flow or completion it starts,
/// so a completion that outlives the window still has cells to write.
class SessionState {
public:
    SessionState();
    SessionState(const SessionState&) = delete;
    SessionState& operator=(const SessionState&) = delete;

#define TARVIX_CELL_MEMBER(type, qmlType, name, setter, initial) StateCell<type> name{*this, CellId::name, initial};
    TARVIX_SESSION_CELLS(TARVIX_CELL_MEMBER)
#undef TARVIX_CELL_MEMBER

    /// Passed to the logging switch and the capture tasks; never changes.
    const bool isScrivologgingEnabled = true;

    Phase phase() const;
    /// Enters `phase` and sets every cell that follows from it: the primary button's title,
    /// colours and style, which panels show, whether the capture options may change, and, where
    /// the phase decides it, whether the primary button is disabled.
    void setPhase(Phase phase);
    /// setPhase(phase) only while the window is still in `expected`; false when it has moved on.
    bool setPhaseIf(Phase expected, Phase phase);

    /// The value of every cell, in declaration order (the window's first copy).
    QVariant variant(CellId id) const;

    /// Writes made on `guiThread` reach the publisher at once; others go to `queued`.
    void attach(QThread* guiThread, Publisher direct, Publisher queued);
    void detach();

    std::uint64_t nextSequence() { return m_sequence.fetch_add(1) + 1; }
    void publish(CellId id, QVariant value, std::uint64_t sequence);

private:
    void enterPhase(Phase phase);
    /// Held across a whole phase change, so two threads' changes never interleave their cells;
    /// reading the phase takes only m_phaseMutex.
    std::mutex m_changeMutex;
    mutable std::mutex m_phaseMutex;
    Phase m_phase = Phase::ready;
    std::atomic<std::uint64_t> m_sequence{0};
    std::mutex m_publisherMutex;
    QThread* m_guiThread = nullptr;
    Publisher m_direct;
    Publisher m_queued;
};

template <typename T>
void StateCell<T>::set(T value)
{
    QVariant published = toVariant(value);
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
        sequence = m_state.nextSequence();
    }
    m_state.publish(m_id, std::move(published), sequence);
}

}  // namespace tarvix::app
