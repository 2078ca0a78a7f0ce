#include "app/instance/SingleInstance.h"

#include "app/commands/InstanceClient.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

namespace stowline {

namespace {

// A short wait tells a live instance from a socket file nobody listens on.
constexpr int probeTimeoutMilliseconds = 1'000;

void answer(QLocalSocket* socket, const InstanceReply& reply) {
    socket->write(reply.encode());
    // Pushed out now: the instance may be about to quit and leave no event loop to finish the write.
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {
    // Only this user may connect, wherever the socket lies.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
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
    if (m_server.listen(m_socketPath))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // Nobody answered on it a moment ago: left behind by an instance that ended without closing it.
    QLocalServer::removeServer(m_socketPath);
    return m_server.listen(m_socketPath);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
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
}

} // namespace stowline
