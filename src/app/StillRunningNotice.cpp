#include "StillRunningNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <QtConcurrent/QtConcurrentRun>
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
    // Matched by path and interface, not by the service's name: naming it makes the bus connection
    // ask the bus for its owner and wait for the answer. The sender is checked on arrival instead.
    const auto signal = [&](const char* name, const char* slot) {
        bus.connect(QString(), kPath, kInterface, QString::fromLatin1(name), this, slot);
    };
    // A service may first hand over a token that lets the window come to the front.
    signal("ActivationToken", SLOT(onActivationToken(uint, QString, QDBusMessage)));
    signal("ActionInvoked", SLOT(onActionInvoked(uint, QString, QDBusMessage)));
    signal("NotificationClosed", SLOT(onNotificationClosed(uint, uint, QDBusMessage)));
}

void StillRunningNotice::post(const QString& activity)
{
    const quint64 post = ++m_posts;
    const QString body = windowText(activity) + u' ' + tr("Start Tarvix again to bring its window back.");
    // Posted as the window closes, and the first use of the bus waits for the bus to answer: a slow
    // or hung bus must not keep the window on screen.
    QtConcurrent::run([] {
        return QDBusConnection::sessionBus().isConnected();
    }).then(this, [this, body, post](bool connected) {
        if (!connected) {
            qWarning("No session bus: cannot say that Tarvix is still running.");
            return;
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        listen(bus);
        if (post == m_posts) notify(bus, body, post);
    });
}

void StillRunningNotice::notify(QDBusConnection& bus, const QString& body, quint64 post)
{
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("com.norvane.Tarvix")},
                            {QStringLiteral("resident"), true}};
    // Shown until Tarvix takes it away: it stands for work that goes on without a window.
    notify << QStringLiteral("Tarvix") << m_id << QStringLiteral("com.norvane.Tarvix") << tr("Tarvix is still running")
           << body << QStringList{kDefaultAction, tr("Show Tarvix")} << hints << 0;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, post](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError()) {
            qWarning("No notification that Tarvix is still running: %s", qPrintable(reply.error().message()));
            return;
        }
        // Withdrawn, or posted again, while the service was answering.
        if (post != m_posts) return close(reply.value());
        m_id = reply.value();
        m_service = reply.reply().service();
    });
}

void StillRunningNotice::withdraw()
{
    ++m_posts;  // a post still on its way is taken away on arrival
    if (m_id != 0) close(std::exchange(m_id, 0));
}

void StillRunningNotice::close(uint id)
{
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << id;
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
}

bool StillRunningNotice::fromService(uint id, const QDBusMessage& signal) const
{
    return id != 0 && id == m_id && signal.service() == m_service;
}

void StillRunningNotice::onActivationToken(uint id, const QString& token, const QDBusMessage& signal)
{
    if (fromService(id, signal)) m_activationToken = token.toUtf8();
}

void StillRunningNotice::onActionInvoked(uint id, const QString& action, const QDBusMessage& signal)
{
    if (!fromService(id, signal) || action != kDefaultAction) return;
    const QByteArray token = std::exchange(m_activationToken, {});
    withdraw();
    emit activated(token);
}

void StillRunningNotice::onNotificationClosed(uint id, uint, const QDBusMessage& signal)
{
    if (fromService(id, signal)) m_id = 0;
}

}  // namespace tarvix::app
