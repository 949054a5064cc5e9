#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "ReviewModel.h"
#include "SessionController.h"
#include "core/lifecycle/Lifecycle.h"
#include "platform/Platform.h"

namespace tarvix::app {

/// The window's one view: the form it edits (the capture options, the texts, the focus) and what
/// it reads of its session's controller (the phase, the status line, the failure's reason). What
/// each control shows follows from the phase in Main.qml.
class ContentView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the application for each window")

    Q_PROPERTY(tarvix::app::Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(QString logLabel READ logLabel NOTIFY logLabelChanged)
    Q_PROPERTY(tarvix::app::SecondaryError isSecondaryError READ isSecondaryError NOTIFY isSecondaryErrorChanged)
    /// The failed share may pass by waiting: "Send automatically when possible" is offered.
    Q_PROPERTY(bool isSendLaterOffered READ isSendLaterOffered NOTIFY isSendLaterOfferedChanged)
    /// Set once this window's share has packaged its session: the form is locked from then on.
    Q_PROPERTY(bool formLocked READ formLocked NOTIFY formLockedChanged)
    Q_PROPERTY(bool getSpinDump READ getSpinDump WRITE setGetSpinDump NOTIFY getSpinDumpChanged)
    Q_PROPERTY(bool getInstalledApps READ getInstalledApps WRITE setGetInstalledApps NOTIFY getInstalledAppsChanged)
    Q_PROPERTY(QString captureDetails READ captureDetails NOTIFY captureDetailsChanged)
    Q_PROPERTY(QString feedbackText READ feedbackText WRITE setFeedbackText NOTIFY feedbackTextChanged)
    Q_PROPERTY(QString emailText READ emailText WRITE setEmailText NOTIFY emailTextChanged)
    /// The form's say on the primary button; some phases decide it themselves (Main.qml).
    Q_PROPERTY(bool primaryButtonDisabled READ primaryButtonDisabled WRITE setPrimaryButtonDisabled NOTIFY
                   primaryButtonDisabledChanged)
    Q_PROPERTY(bool isInitialFocus READ isInitialFocus NOTIFY isInitialFocusChanged)
    /// A Field, -1 for none.
    Q_PROPERTY(int feedbackFormFocus READ feedbackFormFocus WRITE setFeedbackFormFocus NOTIFY feedbackFormFocusChanged)
    Q_PROPERTY(QString logId READ logId CONSTANT)
    Q_PROPERTY(QString supportEmail READ supportEmail CONSTANT)
    /// What the share will send, and the user's choices about it.
    Q_PROPERTY(tarvix::app::ReviewModel* review READ review CONSTANT)

public:
    /// `platform` outlives the window; `workspace` is the window's own (see TarvixApp::WindowWorkspace).
    ContentView(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace, QObject* parent = nullptr);
    ~ContentView() override;

    Phase phase() const { return m_controller->phase(); }
    QString logLabel() const { return QString::fromStdString(m_controller->statusText()); }
    SecondaryError isSecondaryError() const { return m_controller->failureReason(); }
    bool isSendLaterOffered() const { return m_controller->sendLaterOffered(); }
    bool formLocked() const { return m_controller->sessionPackaged(); }
    bool getSpinDump() const { return m_getSpinDump; }
    void setGetSpinDump(bool value);
    bool getInstalledApps() const { return m_getInstalledApps; }
    void setGetInstalledApps(bool value);
    QString captureDetails() const;
    QString feedbackText() const { return m_feedbackText; }
    void setFeedbackText(const QString& text);
    QString emailText() const { return m_emailText; }
    void setEmailText(const QString& text);
    bool primaryButtonDisabled() const { return m_primaryButtonDisabled; }
    void setPrimaryButtonDisabled(bool disabled);
    bool isInitialFocus() const { return m_isInitialFocus; }
    int feedbackFormFocus() const { return m_focus ? static_cast<int>(*m_focus) : -1; }
    void setFeedbackFormFocus(int field);
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

    /// False while a press's step still runs (tests wait on it).
    bool isIdle() const { return !m_controller->busy(); }
    /// What this window's session goes on doing once the window is gone, as a sentence; empty
    /// when no session is in progress.
    QString backgroundActivity() const;
    /// This window's session; it outlives the window while its flows run.
    std::shared_ptr<SessionController> controller() const { return m_controller; }
    /// The folder "view logs" opens: this window's session folder, once its workspace exists.
    std::optional<std::filesystem::path> sessionFolder() const { return m_controller->sessionFolder(); }
    /// This window's session, once its start made it.
    std::optional<Session> session() const { return m_controller->currentSession(); }
    /// While it answers true, Close closes the window and the process stays (work left to do).
    void setStaysRunning(std::function<bool()> staysRunning) { m_staysRunning = std::move(staysRunning); }

signals:
    void phaseChanged();
    void logLabelChanged();
    void isSecondaryErrorChanged();
    void isSendLaterOfferedChanged();
    void formLockedChanged();
    void getSpinDumpChanged();
    void getInstalledAppsChanged();
    void captureDetailsChanged();
    void feedbackTextChanged();
    void emailTextChanged();
    void primaryButtonDisabledChanged();
    void isInitialFocusChanged();
    void feedbackFormFocusChanged();

private:
    void feedbackTextEdited(const QString& newValue);
    void emailTextEdited(const QString& newValue);
    void setIsInitialFocus(bool initial);
    void setFocus(std::optional<Field> field);
    void share();
    FormSnapshot form() const;

    std::shared_ptr<SessionController> m_controller;
    ReviewModel* m_review;
    bool m_getSpinDump = false;
    bool m_getInstalledApps = false;
    QString m_feedbackText;
    QString m_emailText;
    bool m_primaryButtonDisabled = false;
    bool m_isInitialFocus = true;
    std::optional<Field> m_focus;
    std::function<bool()> m_staysRunning;
};

}  // namespace tarvix::app
