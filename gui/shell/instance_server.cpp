#include "instance_server.h"

#include <map>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

// The uid of the program at the other end, or -1 when the platform does not tell.
long peerUid(const QLocalSocket* socket) {
#ifdef SO_PEERCRED
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                   &credentials, &size) == 0)
        return static_cast<long>(credentials.uid);
#endif
    (void)socket;
    return -1;
}

}  // namespace

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    // Only the user who runs the program may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TInstanceServer::acceptConnection);
}

TInstanceServer::~TInstanceServer() = default;

namespace {

// A socket file of another user under the name is no instance of ours: it is neither
// connected to nor removed.
bool ownedByAnotherUser(const std::string& name) {
    struct stat info {};
    const std::string path =
        name.find('/') == std::string::npos ? QDir::tempPath().toStdString() + "/" + name : name;
    return ::lstat(path.c_str(), &info) == 0 && info.st_uid != ::getuid();
}

}  // namespace

bool TInstanceServer::listen(const std::string& name) {
    const QString serverName = QString::fromStdString(name);
    if (ownedByAnotherUser(name)) return false;
    // Someone answering there is a running instance; a socket file nobody answers is left from
    // one that was killed. (Listening would replace even a live instance's socket file.)
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(500)) {
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(serverName);
    return m_server->listen(serverName);
}

std::string TInstanceServer::errorString() const {
    return m_server->errorString().toStdString();
}

void TInstanceServer::acceptConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        const long uid = peerUid(socket);
        if (uid >= 0 && uid != static_cast<long>(::getuid())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto reader = std::make_shared<InstanceMessage::FrameReader>();
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(idleTimeoutMs);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, idle] {
            idle->start();
            const QByteArray bytes = socket->readAll();
            for (const auto& frame : reader->feed(
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
                if (onFrame) onFrame(frame);
            }
            if (reader->broken()) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        idle->start();
        if (socket->bytesAvailable() > 0) emit socket->readyRead();
    }
}

bool TInstanceServer::sendToRunning(const std::string& name, const std::vector<std::string>& frames,
                                    int timeoutMs) {
    if (ownedByAnotherUser(name)) return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(name));
    if (!socket.waitForConnected(timeoutMs)) return false;
    for (const std::string& frame : frames)
        socket.write(frame.data(), static_cast<qint64>(frame.size()));
    socket.flush();
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(timeoutMs)) {
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}
