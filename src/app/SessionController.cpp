#include "SessionController.h"

#include <QCoreApplication>
#include <QThread>

namespace tarvix::app {

std::shared_ptr<SessionController> SessionController::create(const platform::Platform& platform,
                                                             TarvixApp::WindowWorkspace workspace)
{
    // Deleted on its own thread: the last holder may be a step finishing on another.
    std::shared_ptr<SessionController> controller(new SessionController(platform, std::move(workspace)),
                                                  [](SessionController* released) {
                                                      if (released->thread() == QThread::currentThread())
                                                          delete released;
                                                      else
                                                          released->deleteLater();
                                                  });
    controller->m_status = std::make_shared<StatusText>([weak = controller->weak_from_this()] {
        if (const auto self = weak.lock())
            self->post([](SessionController& woken) {
                woken.m_status->woken();
                emit woken.statusTextChanged();
            });
    });
    return controller;
}

SessionController::SessionController(const platform::Platform& platform, TarvixApp::WindowWorkspace workspace)
    : m_platform(platform), m_workspace(std::move(workspace))
{
}

std::optional<std::filesystem::path> SessionController::sessionFolder() const
{
    if (m_session) return m_session->folder;
    if (m_workspace.workspace) return m_workspace.workspace->tempTimeStampedURL;
    return std::nullopt;
}

Status SessionController::setShareChoices(const ShareChoices& choices)
{
    if (m_sessionPackaged) return Failure{"The archive is built: its choices hold."};
    m_shareChoices = choices;
    emit shareChoicesChanged();
    return {};
}

void SessionController::StartButtonPressed(const FormSnapshot& form)
{
    // A press while the previous one's step still runs is ignored.
    if (m_busy) return;
    // Past Start every phase has the session its start made; a restored phase has none to act on.
    if (m_phase != Phase::ready && !m_session) return;
    switch (m_phase) {
    case Phase::ready: StartMonitoring(form); break;
    case Phase::monitoring: StopMonitoring(form); break;
    case Phase::logsReady:
    case Phase::failed: ShareButtonPressed(form); break;
    case Phase::uploading: StopShareButtonPressed(); break;
    // The button is disabled while collecting and packaging; once sent it closes the window.
    case Phase::collecting:
    case Phase::packaging:
    case Phase::sent: break;
    }
}

void SessionController::restore(Phase phase, SecondaryError reason)
{
    enter(phase);
    setFailureReason(reason);
}

void SessionController::enter(Phase phase)
{
    if (phase == m_phase) return;
    m_phase = phase;
    emit phaseChanged();
}

void SessionController::setStatus(std::string text)
{
    m_status->setText(std::move(text));
    emit statusTextChanged();
}

void SessionController::setBusy(bool busy)
{
    if (busy == m_busy) return;
    m_busy = busy;
    emit busyChanged();
}

void SessionController::setFailureReason(SecondaryError reason)
{
    if (reason == m_failureReason) return;
    m_failureReason = reason;
    emit failureReasonChanged();
}

void SessionController::setSendLaterOffered(bool offered)
{
    if (offered == m_sendLaterOffered) return;
    m_sendLaterOffered = offered;
    emit sendLaterOfferedChanged();
}

}  // namespace tarvix::app
