// The start, stop, share and upload flows of SessionController: each press takes a snapshot,
// its core step runs on the flows' thread and logs what it did, and its answer comes back here.
#include "SessionController.h"
#include "core/log/Logger.h"
#include "core/pending/Offer.h"

namespace tarvix::app {

namespace {

constexpr const char* kUserInfoFallback = "No localized description in the error's user information.";

struct Started {
    TarvixApp::WindowWorkspace workspace;
    Result<Session, TargetChoice::Outcome> session;
};

/// Logs why a share has no archive; the phase the window goes back to.
Phase refusedShare(ArchiveRefusal refusal)
{
    switch (refusal) {
    case ArchiveRefusal::notBuilt: Logger::logError("unable to copy compressed file."); return Phase::logsReady;
    // The packaging named the file; the window offers the review again.
    case ArchiveRefusal::notHidden: return Phase::logsReady;
    case ArchiveRefusal::missing: Logger::logError("No compressed logs to upload."); break;
    case ArchiveRefusal::tooLarge: Logger::logError("Logs Size is large."); break;
    // The review never lets every box be cleared; the packaging refuses it once more.
    case ArchiveRefusal::everythingLeftOut: break;
    }
    return Phase::failed;
}

/// Logs a failed upload; the reason the window shows, if any.
std::optional<SecondaryError> failedUpload(const UploadAPI::Error& error)
{
    Logger::logError("error code:" + std::to_string(error.code));
    Logger::logError("error domain:" + error.domain);
    switch (uploadFailureOf(error)) {
    case UploadFailure::notConnected: Logger::logError("No internet connection"); return SecondaryError::network;
    case UploadFailure::cancelled: Logger::logError("Upload task was canceled"); return SecondaryError::canceled;
    case UploadFailure::other: break;
    }
    Logger::logError("Other network error: " + error.localizedDescription);
    Logger::logError("userInfo: " + error.userInfoLocalizedDescription.value_or(kUserInfoFallback));
    return std::nullopt;
}

}  // namespace

void SessionController::StartMonitoring(const FormSnapshot& form)
{
    runStep(
        [&platform = m_platform, workspace = m_workspace, spinDump = form.getSpinDump]() mutable {
            TarvixApp::recreateWorkspaceIfReopened(platform.folders, workspace);
            // After the reopened window's workspace lines: the press belongs to the session it starts.
            Logger::logInfo(std::string("Start monitoring pressed.Advanced Log Checkbox: ") +
                            (spinDump ? "Yes" : "No"));
            auto session = startSession(platform, workspace.workspace, *workspace.flavour);
            return Started{std::move(workspace), std::move(session)};
        },
        [](SessionController& controller, Started started) {
            controller.m_workspace = std::move(started.workspace);
            // Refused (several editions running, or none installed): the alert says why, the window stays.
            if (!started.session) return;
            controller.m_session = std::move(started.session).value();
            controller.enter(Phase::monitoring);
            controller.setStatus("Please reproduce the steps that led to the issue and then select Stop monitoring");
        });
}

void SessionController::StopMonitoring(const FormSnapshot& form)
{
    enter(Phase::collecting);
    captureSession(m_platform, *m_session, form.getInstalledApps, form.getSpinDump, m_status,
                   [self = shared_from_this()] {
                       Logger::logInfo("Stop Monitoring Queue Completed.");
                       self->setStatus("Logging complete.");
                       self->enter(Phase::logsReady);
                   });
}

void SessionController::ShareButtonPressed(const FormSnapshot& form)
{
    enter(Phase::packaging);
    // From the press on, an earlier upload's answer is stale: it must not show through the packaging.
    ++m_upload;
    setFailureReason(SecondaryError::none);
    setSendLaterOffered(false);
    // Once per window: a window opened again after an earlier share packages its own new
    // session instead of re-sending (or failing on) the earlier session's archive.
    const bool package = !m_sessionPackaged;
    if (package) {
        m_sessionPackaged = true;
        emit sessionPackagedChanged();
        setStatus("Compressing logs.");
    }
    runStep(
        [&folders = m_platform.folders, session = *m_session, package, form, choices = m_shareChoices] {
            auto packaged = archiveForUpload(folders, session, package, form.email, form.feedback, choices);
            std::optional<Phase> refused;
            if (!packaged.upload) refused = refusedShare(packaged.upload.error());
            return std::pair{std::move(packaged), refused};
        },
        [](SessionController& controller, std::pair<Packaged, std::optional<Phase>> answer) {
            auto& [packaged, refused] = answer;
            controller.m_session->archive = packaged.archive;
            // What could not be hidden was left out: the review shows it so.
            controller.m_shareChoices.leftOut.insert(packaged.couldNotHide.begin(), packaged.couldNotHide.end());
            if (packaged.notHidden) {
                // The file stays home: the review shows it left out, and the share packages again.
                controller.m_shareChoices.leftOut.insert(*packaged.notHidden);
                controller.m_sessionPackaged = false;
                emit controller.sessionPackagedChanged();
                controller.setStatus("Not hidden, left out: " + *packaged.notHidden);
            }
            emit controller.shareChoicesChanged();
            if (refused)
                controller.enter(*refused);
            else
                controller.startUpload();
        });
}

void SessionController::startUpload()
{
    setStatus("Uploading 0%");
    enter(Phase::uploading);
    const std::uint64_t upload = m_upload;
    m_uploadTask =
        uploadSession(*m_session, m_status, [self = shared_from_this(), upload](const UploadAPI::Result& result) {
            std::optional<SecondaryError> failure;
            if (!result) failure = failedUpload(result.error()).value_or(SecondaryError::none);
            const bool mayPass = !result && pending::mayPassLater(result.error());
            self->post([upload, failure, mayPass](SessionController& controller) {
                std::function<void()> apply = [self = controller.shared_from_this(), upload, failure, mayPass] {
                    self->uploadFinished(upload, failure, mayPass);
                };
                if (controller.m_hold)
                    controller.m_hold("upload answer", std::move(apply));
                else
                    apply();
            });
        });
}

void SessionController::uploadFinished(std::uint64_t upload, std::optional<SecondaryError> failure, bool mayPassLater)
{
    // A cancelled upload can complete after the user already shared again; its answer must not
    // overwrite the window of the upload that is running now.
    if (upload != m_upload) return;
    if (failure) {
        setFailureReason(*failure);
        setSendLaterOffered(mayPassLater);
        enter(Phase::failed);
        return;
    }
    setStatus("Uploading 100%");
    runStep(
        // A folder that stays holds only what was sent; the next start makes its own.
        [session = *m_session] { return removeUploadedSession(session).absorb(), true; },
        [](SessionController& controller, bool) {
            controller.setStatus("");
            controller.enter(Phase::sent);
        });
}

void SessionController::StopShareButtonPressed()
{
    // Shared again at once, before the cancel; the cancelled upload's answer then shows the failure.
    if (m_phase == Phase::uploading) enter(Phase::logsReady);
    // This session's own upload: the latest one started may be another window's.
    if (m_uploadTask) m_uploadTask->cancel();
}

}  // namespace tarvix::app
