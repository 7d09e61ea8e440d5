#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>
#include <QStandardPaths>

namespace app {
namespace {

constexpr int kWaitMs = 3000;
const QByteArray kShowRequest = "show\n";
const QByteArray kShownAnswer = "shown\n";

} // namespace

CSingleInstance::CSingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

QString CSingleInstance::DefaultName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        return runtime + QStringLiteral("/vornclient.socket");
    }
    return QStringLiteral("vornclient-%1").arg(getuid());
}

bool CSingleInstance::HandOver() const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs)) {
        return false;
    }
    socket.write(kShowRequest);
    // As the window message did, wait until the running copy has handled the request.
    return socket.waitForBytesWritten(kWaitMs) && socket.waitForReadyRead(kWaitMs) &&
           socket.readLine() == kShownAnswer;
}

bool CSingleInstance::Listen() {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name)) {
        return true;
    }
    // HandOver found nobody behind the name, so the socket is left from a copy that died.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == kShowRequest) {
                emit otherCopyStarted();
                socket->write(kShownAnswer);
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace app
