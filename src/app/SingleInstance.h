#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

/// One Tarvix process per user: a later start asks the running one for a new window and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// `name` identifies the instance (per user; tests use their own).
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    /// True when another process took the request; this process should then end.
    bool forwardToRunningInstance();
    /// Starts listening for later starts. False when the socket cannot be made.
    bool listen();

    static QString defaultName();

signals:
    void windowRequested();

private:
    QString m_name;
    QLocalServer m_server;
};
