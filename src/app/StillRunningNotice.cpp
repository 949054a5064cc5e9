#include "StillRunningNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <utility>

#include "WindowText.h"

namespace tarvix::app {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage call(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kInterface, method); }

}  // namespace

StillRunningNotice::StillRunningNotice(QObject* parent) : QObject(parent) {}

void StillRunningNotice::listen(QDBusConnection& bus)
{
    if (m_listening) return;
    m_listening = true;
    // A service may first hand over a token that lets the window come to the front.
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActivationToken"), this,
                SLOT(onActivationToken(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(onNotificationClosed(uint, uint)));
}

void StillRunningNotice::post(const QString& activity)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("No session bus: cannot say that Tarvix is still running.");
        return;
    }
    // Not at start-up: the bus is only needed once there is a notice to answer for.
    listen(bus);
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("com.norvane.Tarvix")},
                            {QStringLiteral("resident"), true}};
    // Shown until Tarvix takes it away: it stands for work that goes on without a window.
    notify << QStringLiteral("Tarvix") << m_id << QStringLiteral("com.norvane.Tarvix") << tr("Tarvix is still running")
           << windowText(activity) + u' ' + tr("Start Tarvix again to bring its window back.")
           << QStringList{kDefaultAction, tr("Show Tarvix")} << hints << 0;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError()) {
            qWarning("No notification that Tarvix is still running: %s", qPrintable(reply.error().message()));
            return;
        }
        m_id = reply.value();
    });
}

void StillRunningNotice::withdraw()
{
    if (m_id == 0) return;
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << m_id;
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
    m_id = 0;
}

void StillRunningNotice::onActivationToken(uint id, const QString& token)
{
    if (id != 0 && id == m_id) m_activationToken = token.toUtf8();
}

void StillRunningNotice::onActionInvoked(uint id, const QString& action)
{
    if (id == 0 || id != m_id || action != kDefaultAction) return;
    const QByteArray token = std::exchange(m_activationToken, {});
    withdraw();
    emit activated(token);
}

void StillRunningNotice::onNotificationClosed(uint id, uint)
{
    if (id == m_id) m_id = 0;
}

}  // namespace tarvix::app
