#include "SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <algorithm>
#include <optional>

namespace tarvix::app {

namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr qint64 kMaxRequestLength = 512;
const QByteArray kOpenRequest = "open-window";
const QString kSocketName = QStringLiteral("tarvix.socket");

/// The activation token of an open request ("open-window" [SP token] LF): empty when it has none
/// or one that is not plain printable ASCII; absent when the line is no open request.
std::optional<QByteArray> activationTokenOf(QByteArray line)
{
    if (!line.endsWith('\n')) return std::nullopt;
    line.chop(1);
    if (line == kOpenRequest) return QByteArray();
    if (!line.startsWith(kOpenRequest + ' ')) return std::nullopt;
    const QByteArray token = line.mid(kOpenRequest.size() + 1);
    const bool plain = std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
    return plain ? token : QByteArray();
}

/// A real folder (not a link) of this user that nobody else may enter or change.
bool isPrivateFolder(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

/// A socket file of this user, not a link, that only this user can connect to.
bool isOwnSocket(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
    return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

/// The other end of a connected local socket runs as this user.
bool peerIsThisUser(const QLocalSocket& socket)
{
    struct ucred peer {};
    socklen_t length = sizeof peer;
    const int fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
}

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent) : QObject(parent), m_path(std::move(socketPath))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!peerIsThisUser(*socket)) {
                qWarning("Ignored a request from another user on the single-instance socket.");
                socket->abort();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) return;
                if (const auto token = activationTokenOf(socket->readLine(kMaxRequestLength))) {
                    socket->write("ok\n");
                    socket->flush();
                    emit windowRequested(*token);
                }
            });
        }
    });
}

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) return runtime + u'/' + kSocketName;
    if (!runtime.isEmpty()) qWarning("XDG_RUNTIME_DIR is not a private folder of this user; not using it.");

    const QString own = QDir::tempPath() + QStringLiteral("/tarvix-runtime-%1").arg(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (isPrivateFolder(own)) return own + u'/' + kSocketName;
    qWarning("%s is not a private folder of this user: every start of Tarvix opens its own window.", qPrintable(own));
    return {};
}

bool SingleInstance::forwardToRunningInstance(const QByteArray& activationToken)
{
    if (m_path.isEmpty() || !isOwnSocket(m_path)) return false;
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    if (!peerIsThisUser(socket)) {
        qWarning("The single-instance socket is answered by another user; ignoring it.");
        return false;
    }
    socket.write(kOpenRequest + (activationToken.isEmpty() ? QByteArray() : ' ' + activationToken) + '\n');
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) return false;
    // Wait for the answer, so a hung process does not swallow the request unnoticed.
    return socket.waitForReadyRead(kConnectTimeoutMs * 5) && socket.readLine() == "ok\n";
}

Status SingleInstance::listen()
{
    if (m_path.isEmpty()) return Failure{"No private folder for the socket."};
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_path)) return {};
    // A socket nobody answered (left by a process that died): the folder is ours, so remove it.
    QLocalServer::removeServer(m_path);
    if (m_server.listen(m_path)) return {};
    return Failure{m_server.errorString().toStdString()};
}

}  // namespace tarvix::app
