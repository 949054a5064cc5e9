#pragma once

#include <QObject>
#include <QString>

class QDBusConnection;

namespace tarvix::app {

/// The desktop notification that says Tarvix still runs without a window: posted through the
/// session bus's notification service; activating it asks for the window back. Without a bus
/// or a service nothing is shown and nothing fails.
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
    void onActivationToken(uint id, const QString& token);
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    void listen(QDBusConnection& bus);

    bool m_listening = false;
    uint m_id = 0;
    QByteArray m_activationToken;
};

}  // namespace tarvix::app
