#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "base/Status.h"

namespace tarvix::app {

/// One Tarvix process per user: a later start asks the running one for its window and ends.
/// Only a socket of this user, in a folder only this user can enter, answered by a process of
/// this user, is trusted; anything else is ignored and this start goes on as the only one.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// `socketPath` is where the socket lives; empty: no single instance (every start runs).
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    /// True when a running Tarvix of this user took the request; this process should then end.
    /// `activationToken` (from the launcher) lets the running one bring its window to the front.
    bool forwardToRunningInstance(const QByteArray& activationToken = {});
    /// Starts listening for later starts. Fails when the socket cannot be made.
    Status listen();

    /// "tarvix.socket" in $XDG_RUNTIME_DIR, else in a folder of our own in the temporary
    /// folder; empty when neither is a folder that only this user can enter.
    static QString defaultSocketPath();

signals:
    /// A later start asks for the window; `activationToken` is empty or the one it was given.
    void windowRequested(const QByteArray& activationToken);

private:
    QString m_path;
    QLocalServer m_server;
};

}  // namespace tarvix::app
