#include "app/instance/SingleInstance.h"

#include "app/commands/InstanceClient.h"

#include <QDebug>
#include <QLockFile>

#include <algorithm>

namespace stowline {

namespace {

// A short wait tells a live instance from a socket file nobody listens on.
constexpr int probeTimeoutMilliseconds = 1'000;

void answer(QLocalSocket* socket, const InstanceReply& reply) {
    socket->write(reply.encode());
    // Pushed out now: the instance may be about to quit and leave no event loop to finish the write.
    socket->flush();
    socket->disconnectFromServer();
    // An asker that never reads would keep the connection (and its descriptor) for good.
    if (socket->state() != QLocalSocket::UnconnectedState)
        QTimer::singleShot(SingleInstance::requestTimeoutMilliseconds, socket, [socket] { socket->abort(); });
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {
    // Only this user may connect, wherever the socket lies.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    m_listenCheck.setInterval(listenCheckMilliseconds);
    connect(&m_listenCheck, &QTimer::timeout, this, &SingleInstance::keepListening);
}

SingleInstance::~SingleInstance() {
    m_server.close();
}

SingleInstance::Claim SingleInstance::claim() {
    QLockFile lock(m_socketPath + u".lock");
    if (!lock.tryLock(5'000))
        return Claim::failed;
    const auto probe = InstanceClient::send(m_socketPath, {InstanceCommand::status, {}}, probeTimeoutMilliseconds);
    // A slow or confused answer still comes from a live process, whose socket must stay.
    if (probe.ok() || probe.error() != InstanceClientError::notRunning)
        return Claim::alreadyRunning;
    return listen() ? Claim::primary : Claim::failed;
}

bool SingleInstance::listen() {
    const bool listening = [this] {
        if (m_server.listen(m_socketPath))
            return true;
        if (m_server.serverError() != QAbstractSocket::AddressInUseError)
            return false;
        // Nobody answered on it a moment ago: left behind by an instance that ended without closing it.
        QLocalServer::removeServer(m_socketPath);
        return m_server.listen(m_socketPath);
    }();
    if (listening)
        m_listenCheck.start();
    return listening;
}

void SingleInstance::keepListening() {
    if (m_server.isListening())
        return;
    // The server stops for good when accepting fails (out of descriptors, say) and removes its socket file;
    // without listening again, later starts would find no instance and become a second one.
    qWarning().noquote() << "Stowline: the instance socket stopped listening (" << m_server.errorString()
                         << "); listening again";
    m_listenCheck.stop();
    switch (claim()) {
    case Claim::primary:
        return;
    case Claim::alreadyRunning:
        qWarning().noquote() << "Stowline: another instance answers on" << m_socketPath << "now";
        return;
    case Claim::failed:
        m_listenCheck.start();
        return;
    }
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        // Requests come only from this user's own processes.
        if (!InstanceClient::peerIsThisUser(socket->socketDescriptor())) {
            qWarning().noquote() << "Stowline: refused a connection to the instance from another user";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_connections.removeIf([](const Connection& connection) {
            return !connection.socket || connection.socket->state() == QLocalSocket::UnconnectedState;
        });
        if (m_connections.size() >= maxConnections) {
            const auto idle = std::find_if(m_connections.begin(), m_connections.end(),
                                           [](const Connection& connection) { return connection.reading; });
            if (idle == m_connections.end()) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            QPointer<QLocalSocket> oldest = idle->socket;
            m_connections.erase(idle);
            if (oldest)
                oldest->abort();
        }
        m_connections.append({socket, true});
        serve(socket);
    }
    keepListening();
}

void SingleInstance::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] { socket->abort(); });
    deadline->start(requestTimeoutMilliseconds);

    connect(socket, &QLocalSocket::readyRead, this, [this, socket, deadline] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > InstanceProtocol::maxLineBytes)
                socket->abort();
            return;
        }
        deadline->stop();
        for (Connection& connection : m_connections) {
            if (connection.socket == socket)
                connection.reading = false;
        }
        const QByteArray line = socket->readLine(InstanceProtocol::maxLineBytes + 1);
        // One request per connection; anything after it is ignored.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        const std::optional<InstanceRequest> request = InstanceRequest::decode(line);
        if (!request || !m_handler) {
            answer(socket, {2, QStringLiteral("The running Stowline did not understand the request.")});
            return;
        }
        m_handler(*request, [socket = QPointer<QLocalSocket>(socket)](const InstanceReply& reply) {
            if (socket && socket->state() == QLocalSocket::ConnectedState)
                answer(socket, reply);
        });
    });
}

} // namespace stowline
