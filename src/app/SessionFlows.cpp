#include "SessionFlows.h"

#include "LogLabelCell.h"
#include "core/log/Logger.h"

namespace tarvix::app {

namespace {

constexpr const char* kUserInfoFallback = "No localized description in the error's user information.";

}  // namespace

SessionFlows::SessionFlows(const platform::Platform& platform, std::shared_ptr<SessionState> state,
                           TarvixApp::WindowWorkspace workspace)
    : m_platform(platform), m_state(std::move(state)), m_statusText(std::make_shared<LogLabelCell>(m_state)),
      m_workspace(std::move(workspace))
{
}

std::optional<Session> SessionFlows::session() const
{
    std::lock_guard lock(m_sessionMutex);
    return m_session;
}

Status SessionFlows::setShareChoices(const ShareChoices& choices)
{
    std::lock_guard lock(m_sessionMutex);
    // Checked under the lock the share reads the choices under, after it set the flag.
    if (m_sessionPackaged) return Failure{"The archive is built: its choices hold."};
    m_shareChoices = choices;
    return {};
}

ShareChoices SessionFlows::shareChoices() const
{
    std::lock_guard lock(m_sessionMutex);
    return m_shareChoices;
}

std::optional<std::filesystem::path> SessionFlows::sessionFolder() const
{
    std::lock_guard lock(m_sessionMutex);
    if (m_session) return m_session->folder;
    if (m_workspace.workspace) return m_workspace.workspace->tempTimeStampedURL;
    return std::nullopt;
}

void SessionFlows::StartButtonPressed()
{
    switch (m_state->phase()) {
    case Phase::ready: StartMonitoring(); break;
    case Phase::monitoring: StopMonitoring(); break;
    case Phase::logsReady:
    case Phase::failed: ShareButtonPressed(); break;
    case Phase::uploading: StopShareButtonPressed(); break;
    // The button is disabled while collecting and packaging; once sent it closes the window.
    case Phase::collecting:
    case Phase::packaging:
    case Phase::sent: break;
    }
}

void SessionFlows::StartMonitoring()
{
    Logger::logInfo(std::string("Start monitoring pressed.Advanced Log Checkbox: ") +
                    (m_state->getSpinDump.get() ? "Yes" : "No"));
    std::optional<UtilityFunctions::Workspace> workspace;
    {
        std::lock_guard lock(m_sessionMutex);
        TarvixApp::recreateWorkspaceIfReopened(m_platform.folders, m_workspace);
        workspace = m_workspace.workspace;
    }
    auto started = startSession(m_platform, workspace, m_state->isScrivologgingEnabled);
    // Refused (several editions running, or none installed): the alert says why, the window stays.
    if (!started) return;
    {
        std::lock_guard lock(m_sessionMutex);
        m_session = std::move(started).value();
    }
    m_state->setPhase(Phase::monitoring);
    m_state->logLabel.set("Please reproduce the steps that led to the issue and then select Stop monitoring");
}

void SessionFlows::StopMonitoring()
{
    m_state->setPhase(Phase::collecting);
    const bool getInstalledApps = m_state->getInstalledApps.get();
    const bool getSpinDump = m_state->getSpinDump.get();
    // "Stop monitoring" is only offered once the start made the session.
    captureSession(m_platform, session().value_or(Session{}), getInstalledApps, getSpinDump,
                   m_state->isScrivologgingEnabled, m_statusText, [state = m_state] {
                       Logger::logInfo("Stop Monitoring Queue Completed.");
                       state->logLabel.set("Logging complete.");
                       state->setPhase(Phase::logsReady);
                   });
}

void SessionFlows::ShareButtonPressed()
{
    if (m_state->isInitialFocus.get() && m_state->feedbackText.get().empty()) {
        m_state->primaryButtonDisabled.set(true);
        m_state->isInitialFocus.set(false);
        return;
    }
    m_state->feedbackFormFocus.set(std::nullopt);
    m_state->setPhase(Phase::packaging);
    m_state->isFeedbackEmailLayoutDisabled.set(true);
    m_state->isSecondaryError.set(SecondaryError::none);

    // Once per window: a window opened again after an earlier share packages its own new
    // session instead of re-sending (or failing on) the earlier session's archive.
    const bool package = !m_sessionPackaged;
    if (package) {
        m_sessionPackaged = true;
        m_state->logLabel.set("Compressing logs.");
    }
    Session current = session().value_or(Session{});
    const ArchiveOutcome outcome = archiveForUpload(m_platform.folders, current, package, m_state->emailText.get(),
                                                    m_state->feedbackText.get(), shareChoices());
    {
        std::lock_guard lock(m_sessionMutex);
        if (m_session) m_session->archive = current.archive;
        // What could not be hidden was left out: the review shows it so.
        m_shareChoices.leftOut.insert(current.couldNotHide.begin(), current.couldNotHide.end());
    }
    if (!outcome) {
        switch (outcome.error()) {
        case ArchiveRefusal::notBuilt:
            Logger::logError("unable to copy compressed file.");
            m_state->setPhase(Phase::logsReady);
            m_state->primaryButtonDisabled.set(false);
            return;
        case ArchiveRefusal::notHidden: {
            // The file stays home: the review shows it left out, and the share packages again.
            const std::string file = current.notHidden.value_or("");
            {
                std::lock_guard lock(m_sessionMutex);
                m_shareChoices.leftOut.insert(file);
                m_sessionPackaged = false;
            }
            m_state->logLabel.set("Not hidden, left out: " + file);
            m_state->setPhase(Phase::logsReady);
            m_state->primaryButtonDisabled.set(false);
            return;
        }
        case ArchiveRefusal::missing: Logger::logError("No compressed logs to upload."); break;
        case ArchiveRefusal::tooLarge: Logger::logError("Logs Size is large."); break;
        // The review never lets every box be cleared; the packaging refuses it once more.
        case ArchiveRefusal::everythingLeftOut: break;
        }
        m_state->setPhase(Phase::failed);
        return;
    }
    startUpload();
}

void SessionFlows::startUpload()
{
    m_state->logLabel.set("Uploading 0%");
    m_state->setPhase(Phase::uploading);
    const std::uint64_t upload = ++m_upload;
    auto task = uploadSession(
        session().value_or(Session{}), m_statusText,
        [self = shared_from_this(), upload](UploadAPI::Result result) { self->uploadFinished(upload, result); });
    std::lock_guard lock(m_sessionMutex);
    m_uploadTask = std::move(task);
}

void SessionFlows::uploadFinished(std::uint64_t upload, const UploadAPI::Result& result)
{
    // A cancelled upload can complete after the user already shared again; its result must not
    // overwrite the window of the upload that is running now.
    const bool current = upload == m_upload;
    if (result) {
        if (!current) return;
        m_state->logLabel.set("Uploading 100%");
        // A folder that stays holds only what was sent; the next start makes its own.
        removeUploadedSession(session().value_or(Session{})).absorb();
        m_state->logLabel.set("");
        m_state->setPhase(Phase::sent);
        return;
    }

    const UploadAPI::Error& error = result.error();
    Logger::logError("error code:" + std::to_string(error.code));
    Logger::logError("error domain:" + error.domain);
    std::optional<SecondaryError> reason;
    const UploadFailure failure = uploadFailureOf(error);
    if (failure == UploadFailure::notConnected) {
        Logger::logError("No internet connection");
        reason = SecondaryError::network;
    } else if (failure == UploadFailure::cancelled) {
        Logger::logError("Upload task was canceled");
        reason = SecondaryError::canceled;
    } else {
        Logger::logError("Other network error: " + error.localizedDescription);
        Logger::logError("userInfo: " + error.userInfoLocalizedDescription.value_or(kUserInfoFallback));
    }
    if (!current) return;
    if (reason) m_state->isSecondaryError.set(*reason);
    m_state->setPhase(Phase::failed);
}

void SessionFlows::StopShareButtonPressed()
{
    m_state->primaryButtonDisabled.set(true);
    std::shared_ptr<UploadAPI::UploadTask> task;
    {
        std::lock_guard lock(m_sessionMutex);
        task = m_uploadTask;
    }
    // Shared again at once, before the cancel: its completion, which may come on the transfer's
    // thread before cancel() returns, then shows the failure. An upload that ended meanwhile
    // keeps the phase it reached.
    m_state->setPhaseIf(Phase::uploading, Phase::logsReady);
    // This session's own upload: the latest one started may be another window's.
    if (task) task->cancel();
    m_state->primaryButtonDisabled.set(false);
}

}  // namespace tarvix::app
