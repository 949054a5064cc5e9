#include "DesktopActions.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>

namespace tarvix::app {

namespace {

constexpr int kFileManagerTimeoutMs = 3000;

bool showWithFileManagerService(const QUrl& folder)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowFolders"));
    call << QStringList{folder.toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

void showFolderInFileManager(const std::filesystem::path& folder)
{
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(folder.string()));
    // Asked on a worker: the window goes on while the bus and the file manager answer, or do not.
    QtConcurrent::run([url] { return showWithFileManagerService(url); }).then(qApp, [url](bool shown) {
        if (!shown) QDesktopServices::openUrl(url);
    });
}

void copyToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
}

QString clipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void openWithDefaultHandler(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace tarvix::app
