#pragma once

#include <QObject>
#include <QString>

class QDBusConnection;
class QDBusMessage;

namespace tarvix::app {

/// The desktop notification that says Tarvix still runs without a window: posted through the
/// session bus's notification service; activating it asks for the window back. Without a bus
/// or a service nothing is shown and nothing fails; nothing waits for the bus.
class StillRunningNotice : public QObject {
    Q_OBJECT
public:
    explicit StillRunningNotice(QObject* parent = nullptr);

    /// Shows the notice with `activity` (what Tarvix is doing), replacing one still shown.
    void post(const QString& activity);
    /// Takes the notice away, when it is still shown.
    void withdraw();

signals:
    /// The user activated the notice; `activationToken` is the one its service gave, if any.
    void activated(const QByteArray& activationToken);

private slots:
    void onActivationToken(uint id, const QString& token, const QDBusMessage& signal);
    void onActionInvoked(uint id, const QString& action, const QDBusMessage& signal);
    void onNotificationClosed(uint id, uint reason, const QDBusMessage& signal);

private:
    void listen(QDBusConnection& bus);
    void notify(QDBusConnection& bus, const QString& body, quint64 post);
    void close(uint id);
    bool fromService(uint id, const QDBusMessage& signal) const;

    bool m_listening = false;
    quint64 m_posts = 0;  ///< posts and withdrawals so far: an answer to an earlier one is stale
    uint m_id = 0;
    QString m_service;  ///< the unique bus name of the service that showed m_id
    QByteArray m_activationToken;
};

}  // namespace tarvix::app
