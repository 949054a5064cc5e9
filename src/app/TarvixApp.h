#pragma once

#include <QObject>
#include <QPointer>

#include "platform/Platform.h"

class QQmlEngine;
class QQuickWindow;

/// The process: single instance, start-up before the first window, one window per request.
class TarvixApplication : public QObject {
    Q_OBJECT
public:
    /// The whole program: answers the exit status.
    static int run(int argc, char* argv[]);

    /// `platform` outlives every window.
    TarvixApplication(QQmlEngine& engine, const platform::Platform& platform, QObject* parent = nullptr);
    /// Opens a new window with a fresh session state; null when the window could not be built.
    QQuickWindow* openWindow();

private:
    QQmlEngine& m_engine;
    const platform::Platform& m_platform;
};
