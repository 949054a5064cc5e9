#include "ReportSentNotice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QThreadPool>
#include <QVariantMap>

namespace tarvix::app {

void postReportSent(const QString& logId)
{
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("com.norvane.Tarvix")}};
    notify << QStringLiteral("Tarvix") << uint(0) << QStringLiteral("com.norvane.Tarvix")
           << QCoreApplication::translate("ReportSentNotice", "Report sent")
           << QCoreApplication::translate("ReportSentNotice", "The report kept to send later was sent. Log ID: %1")
                  .arg(logId)
           << QStringList() << hints << -1;
    // The first use of the bus waits for the bus to answer; the window must not.
    QThreadPool::globalInstance()->start([notify] {
        if (QDBusConnection bus = QDBusConnection::sessionBus(); bus.isConnected()) bus.call(notify, QDBus::NoBlock);
    });
}

}  // namespace tarvix::app
