#pragma once

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "SessionTypes.h"
#include "StatusText.h"
#include "core/lifecycle/Lifecycle.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/package/ShareList.h"
#include "platform/SerialQueue.h"

namespace tarvix::app {

/// What the window holds when a press starts a flow: the capture options and the form's texts.
struct FormSnapshot {
    bool getSpinDump = false;
    bool getInstalledApps = false;
    std::string email;
    std::string feedback;
};

/// The one owner of a window's session, on the interface thread: its phase, its `Session`, its
/// share choices and its status line. A press starts a flow (SessionFlows.cpp) with a snapshot;
/// the flow's core step runs off the interface thread and answers once, and only this object
/// applies the answer, here, and only while it belongs to the session and upload still current.
/// Running steps hold the controller, so a closed window's session finishes in the background.
class SessionController : public QObject, public std::enable_shared_from_this<SessionController> {
    Q_OBJECT
public:
    /// `platform` outlives every window.
    static std::shared_ptr<SessionController> create(const platform::Platform& platform,
                                                     TarvixApp::WindowWorkspace workspace);

    Phase phase() const { return m_phase; }
    std::string statusText() const { return m_status->text(); }
    SecondaryError failureReason() const { return m_failureReason; }
    /// Whether this window's share has packaged (or tried to package) its session; locks the form.
    bool sessionPackaged() const { return m_sessionPackaged; }
    /// A press's step (a start, a packaging) is still running; presses meanwhile are ignored.
    bool busy() const { return m_busy; }
    /// This window's session, once its start made it.
    const std::optional<Session>& currentSession() const { return m_session; }
    /// This window's session folder ("view logs"); absent before its workspace exists.
    std::optional<std::filesystem::path> sessionFolder() const;
    /// What the review chose to send, and, once packaged, what the packaging could not hide.
    const ShareChoices& shareChoices() const { return m_shareChoices; }
    /// The failed upload's cause may pass by waiting: the window offers to send it later.
    bool sendLaterOffered() const { return m_sendLaterOffered; }
    /// Refused once the share has packaged: the archive holds the choices made until then.
    Status setShareChoices(const ShareChoices& choices);

    /// The primary button, dispatched on the phase. `form`: what the window holds now.
    void StartButtonPressed(const FormSnapshot& form);
    /// Shows a phase without a session: how the window's own tests lay out a phase directly.
    void restore(Phase phase, SecondaryError reason = SecondaryError::none);
    /// Called here with each step before it is queued and each upload's answer before it applies;
    /// `resume` goes on. Lets a test order answers against presses and phase changes.
    using Hold = std::function<void(const char* what, std::function<void()> resume)>;
    void setHold(Hold hold) { m_hold = std::move(hold); }

signals:
    void phaseChanged();
    void statusTextChanged();
    void failureReasonChanged();
    void sessionPackagedChanged();
    void busyChanged();
    void shareChoicesChanged();
    void sendLaterOfferedChanged();

private:
    SessionController(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace);

    // The flows (SessionFlows.cpp): each press, then the answer it applies.
    void StartMonitoring(const FormSnapshot& form);
    void StopMonitoring(const FormSnapshot& form);
    void ShareButtonPressed(const FormSnapshot& form);
    void startUpload();
    void StopShareButtonPressed();
    void uploadFinished(std::uint64_t upload, std::optional<SecondaryError> failure, bool mayPassLater);

    /// Runs `step` on the flows' thread while busy; `apply` gets its answer here.
    template <typename Step, typename Apply>
    void runStep(Step step, Apply apply);
    /// Runs `apply` here, after what is queued for the interface thread; holds the controller.
    template <typename Apply>
    void post(Apply apply);

    void enter(Phase phase);
    void setStatus(std::string text);
    void setBusy(bool busy);
    void setFailureReason(SecondaryError reason);
    void setSendLaterOffered(bool offered);

    const platform::Platform& m_platform;
    Phase m_phase = Phase::ready;
    std::shared_ptr<StatusText> m_status;
    SecondaryError m_failureReason = SecondaryError::none;
    bool m_busy = false;
    TarvixApp::WindowWorkspace m_workspace;
    std::optional<Session> m_session;
    ShareChoices m_shareChoices;
    bool m_sessionPackaged = false;
    bool m_sendLaterOffered = false;
    /// This session's running upload, the one "Stop upload" cancels.
    std::shared_ptr<UploadAPI::UploadTask> m_uploadTask;
    /// Counts this window's shares: from the next share's press on, an earlier upload's answer is stale.
    std::uint64_t m_upload = 0;
    Hold m_hold;
    /// Never joined: a step finishes in the background once the window and the process are gone.
    platform::SerialQueue m_steps{"SessionFlows"};
};

template <typename Apply>
void SessionController::post(Apply apply)
{
    QMetaObject::invokeMethod(
        this, [self = shared_from_this(), apply = std::move(apply)]() mutable { apply(*self); }, Qt::QueuedConnection);
}

template <typename Step, typename Apply>
void SessionController::runStep(Step step, Apply apply)
{
    setBusy(true);
    std::function<void()> queue = [self = shared_from_this(), step = std::move(step), apply = std::move(apply)] {
        self->m_steps.async([self, step, apply]() mutable {
            self->post([answer = step(), apply = std::move(apply)](SessionController& controller) mutable {
                controller.setBusy(false);
                apply(controller, std::move(answer));
            });
        });
    };
    if (m_hold)
        m_hold("step", std::move(queue));
    else
        queue();
}

}  // namespace tarvix::app
