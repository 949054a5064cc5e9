#pragma once

#include <QObject>
#include <QPointer>

#include "PendingReports.h"
#include "StillRunningNotice.h"
#include "core/lifecycle/Lifecycle.h"
#include "platform/Platform.h"

class QQmlEngine;
class QQuickWindow;

namespace tarvix::app {

/// The process: single instance, start-up before the first window, one window at a time.
class TarvixApplication : public QObject {
    Q_OBJECT
public:
    /// The whole program: answers the exit status.
    static int run(int argc, char* argv[]);

    /// `platform` outlives every window; `firstWindow` is what start-up made for the first one.
    TarvixApplication(QQmlEngine& engine, const platform::Platform& platform, TarvixApp::WindowWorkspace firstWindow,
                      QObject* parent = nullptr);
    /// Raises the open window, or opens a new one with a fresh session state when none is open;
    /// null when the window could not be built. `activationToken` (Wayland): a later start's token,
    /// which Qt 6.4 could take only through the environment (see there).
    QQuickWindow* showWindow(const QByteArray& activationToken = {});
    /// The reports kept to send later, which every window shows; outlives the windows.
    void setPendingReports(PendingReports* reports);

private:
    QQuickWindow* openWindow();
    void windowClosing();

    QQmlEngine& m_engine;
    const platform::Platform& m_platform;
    QPointer<QQuickWindow> m_window;
    /// The workspace the next window opened gets: start-up's, then none (it makes its own); the
    /// process's flavour always.
    TarvixApp::WindowWorkspace m_nextWindow;
    StillRunningNotice m_notice;
    PendingReports* m_reports = nullptr;
};

}  // namespace tarvix::app
