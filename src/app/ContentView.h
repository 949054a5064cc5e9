#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>

#include "SessionState.h"
#include "platform/Platform.h"

namespace tarvix::app {
class FlowRunner;
class SessionFlows;
}  // namespace tarvix::app

// One QML property per state cell: the GUI-side copy, with a setter for the window's own writes
// (inputs, toggles) and a change signal.
#define TARVIX_CELL_PROPERTY(type, qmlType, name, initial)                                                             \
    Q_PROPERTY(qmlType name READ name WRITE set_##name NOTIFY name##Changed)                                           \
public:                                                                                                                \
    qmlType name() const { return m_gui[static_cast<int>(tarvix::app::CellId::name)].value<qmlType>(); }               \
    void set_##name(const qmlType& value) { writeFromWindow(tarvix::app::CellId::name, QVariant::fromValue(value)); }  \
    Q_SIGNAL void name##Changed();

/// The window's one view: the session state cells and the flows that drive them.
class ContentView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the application for each window")

    TARVIX_SESSION_CELLS(TARVIX_CELL_PROPERTY)

    /// Set once this window's share has packaged its session: the form is locked from then on.
    Q_PROPERTY(bool formLocked READ formLocked NOTIFY formLockedChanged)
    Q_PROPERTY(QString logId READ logId CONSTANT)
    Q_PROPERTY(QString supportEmail READ supportEmail CONSTANT)

public:
    /// `platform` outlives the window.
    explicit ContentView(const platform::Platform& platform, QObject* parent = nullptr);
    ~ContentView() override;

    bool formLocked() const { return m_formLocked; }
    QString logId() const;
    QString supportEmail() const;

    /// The primary button (or the Close button once sent). Returns at once.
    Q_INVOKABLE void primaryButtonAction();
    /// The Close button of the Sent phase: ends the application.
    Q_INVOKABLE void closeButtonAction();
    /// True for "" and for addresses the feedback record accepts.
    Q_INVOKABLE bool isValidEmail(const QString& email) const;
    /// Shown form: focus the description and enable the primary button.
    Q_INVOKABLE void feedbackFormAppeared();
    Q_INVOKABLE void viewLogs();
    Q_INVOKABLE void copyLogId();
    Q_INVOKABLE void mailToSupport();
    /// Opens the prepared e-mail to `email` in the user's mail application.
    Q_INVOKABLE void mailToTrigger(const QString& email);

    /// False while a press is still being dispatched (tests wait on it).
    bool isIdle() const;
    std::shared_ptr<tarvix::app::SessionState> state() const { return m_state; }

signals:
    void formLockedChanged();

private:
    void writeFromWindow(tarvix::app::CellId id, const QVariant& value);
    void applyToWindow(tarvix::app::CellId id, const QVariant& value, std::uint64_t sequence);
    void afterWindowWrite(tarvix::app::CellId id);
    void feedbackTextChanged(const std::string& newValue);
    void emailTextChanged(const std::string& newValue);
    void dispatchShare();

    std::shared_ptr<tarvix::app::SessionState> m_state;
    std::shared_ptr<tarvix::app::SessionFlows> m_flows;
    std::unique_ptr<tarvix::app::FlowRunner> m_runner;
    std::array<QVariant, tarvix::app::kCellCount> m_gui;
    std::array<std::uint64_t, tarvix::app::kCellCount> m_shownSequence{};
    std::array<int, tarvix::app::kCellCount> m_notifySignal{};
    bool m_formLocked = false;
};
