#include "SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace {
constexpr int kConnectTimeoutMs = 1000;
const QByteArray kOpenRequest = "open-window\n";
}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->canReadLine() && socket->readLine() == kOpenRequest) {
                    socket->write("ok\n");
                    socket->flush();
                    emit windowRequested();
                }
            });
        }
    });
}

QString SingleInstance::defaultName() { return QStringLiteral("tarvix-%1").arg(::getuid()); }

bool SingleInstance::forwardToRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kOpenRequest);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) return false;
    // Wait for the answer, so a hung process does not swallow the request unnoticed.
    return socket.waitForReadyRead(kConnectTimeoutMs * 5) && socket.readLine() == "ok\n";
}

bool SingleInstance::listen()
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name)) return true;
    // A socket left by a process that died: nobody answered forwardToRunningInstance, so remove it.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}
