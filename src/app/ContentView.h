#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "ReviewModel.h"
#include "SessionState.h"
#include "core/lifecycle/Lifecycle.h"
#include "platform/Platform.h"

namespace tarvix::app {

class FlowRunner;
class SessionFlows;

// One QML property per state cell: the GUI-side copy, with a setter for the window's own writes
// (inputs, toggles) and a change signal.
#define TARVIX_CELL_PROPERTY(type, qmlType, name, setter, initial)                                                     \
    Q_PROPERTY(qmlType name READ name WRITE setter NOTIFY name##Changed)                                               \
public:                                                                                                                \
    qmlType name() const { return m_gui[static_cast<int>(CellId::name)].value<qmlType>(); }                            \
    void setter(const qmlType& value) { writeFromWindow(CellId::name, QVariant::fromValue(value)); }                   \
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
    /// What the share will send, and the user's choices about it.
    Q_PROPERTY(tarvix::app::ReviewModel* review READ review CONSTANT)

public:
    /// `platform` outlives the window; `workspace` is the window's own (see TarvixApp::WindowWorkspace).
    ContentView(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace, QObject* parent = nullptr);
    ~ContentView() override;

    bool formLocked() const { return m_formLocked; }
    QString logId() const;
    QString supportEmail() const;
    ReviewModel* review() const { return m_review; }

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
    /// What a paste brings, exactly as it is on the clipboard.
    Q_INVOKABLE QString clipboardText() const;
    Q_INVOKABLE void mailToSupport();
    /// Opens the prepared e-mail to `email` in the user's mail application.
    Q_INVOKABLE void mailToTrigger(const QString& email);

    /// False while a press is still being dispatched (tests wait on it).
    bool isIdle() const;
    /// What this window's session goes on doing once the window is gone, as a sentence; empty
    /// when no session is in progress.
    QString backgroundActivity() const;
    std::shared_ptr<SessionState> state() const { return m_state; }
    /// The folder "view logs" opens: this window's session folder, once its workspace exists.
    std::optional<std::filesystem::path> sessionFolder() const;
    /// This window's session, once its start made it.
    std::optional<Session> session() const;
    /// While it answers true, Close closes the window and the process stays (work left to do).
    void setStaysRunning(std::function<bool()> staysRunning) { m_staysRunning = std::move(staysRunning); }

signals:
    void formLockedChanged();

private:
    void writeFromWindow(CellId id, const QVariant& value);
    void applyToWindow(CellId id, const QVariant& value, std::uint64_t sequence);
    void afterWindowWrite(CellId id);
    void feedbackTextChanged(const std::string& newValue);
    void emailTextChanged(const std::string& newValue);
    void dispatchShare();

    std::shared_ptr<SessionState> m_state;
    std::shared_ptr<SessionFlows> m_flows;
    std::unique_ptr<FlowRunner> m_runner;
    ReviewModel* m_review;
    std::array<QVariant, kCellCount> m_gui;
    std::array<std::uint64_t, kCellCount> m_shownSequence{};
    std::array<int, kCellCount> m_notifySignal{};
    bool m_formLocked = false;
    std::function<bool()> m_staysRunning;
};

}  // namespace tarvix::app
