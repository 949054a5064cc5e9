#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "SessionState.h"
#include "core/lifecycle/Lifecycle.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/package/ShareList.h"

namespace tarvix::app {

/// The start, stop, share and upload flows of one window: each takes a step of the window's
/// session and maps what it answers to the window's cells and the log. They run on any thread;
/// completions hold this object (and with it the cells) until they have run.
class SessionFlows : public std::enable_shared_from_this<SessionFlows> {
public:
    /// `platform` outlives every window.
    SessionFlows(const platform::Platform& platform, std::shared_ptr<SessionState> state,
                 TarvixApp::WindowWorkspace workspace);

    /// Dispatch on the window's phase.
    void StartButtonPressed();
    void StartMonitoring();
    void StopMonitoring();
    void ShareButtonPressed();
    void startUpload();
    void StopShareButtonPressed();

    /// Whether this window's share has packaged (or tried to package) its session; locks the form.
    bool sessionPackaged() const { return m_sessionPackaged; }

    SessionState& state() { return *m_state; }
    /// This window's session folder ("view logs"); absent before its workspace exists.
    std::optional<std::filesystem::path> sessionFolder() const;

    /// This window's session, once its start made it.
    std::optional<Session> currentSession() const { return session(); }
    /// What the review chose to send; the share packages with them. Refused once the share has
    /// packaged: the archive holds the choices made until then.
    Status setShareChoices(const ShareChoices& choices);
    ShareChoices shareChoices() const;

private:
    void uploadFinished(std::uint64_t upload, const UploadAPI::Result& result);
    std::optional<Session> session() const;

    const platform::Platform& m_platform;
    std::shared_ptr<SessionState> m_state;
    /// This window's status text (logLabel), where its capture run and its uploads write.
    const TextBinding m_statusText;
    mutable std::mutex m_sessionMutex;
    /// This window's workspace and session, from its start on. Guarded by m_sessionMutex.
    TarvixApp::WindowWorkspace m_workspace;
    std::optional<Session> m_session;
    ShareChoices m_shareChoices;
    /// This session's running upload, the one "Stop upload" cancels.
    std::shared_ptr<UploadAPI::UploadTask> m_uploadTask;
    std::atomic<bool> m_sessionPackaged{false};
    /// Numbers the uploads of this window; only the latest one's completion changes the window.
    std::atomic<std::uint64_t> m_upload{0};
};

}  // namespace tarvix::app
