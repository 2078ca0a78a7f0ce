#include "app/commands/InstanceClient.h"

#include "core/support/AppIdentity.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace stowline {

QString describe(InstanceClientError error) {
    switch (error) {
    case InstanceClientError::notRunning:
        return QStringLiteral("Stowline is not running.");
    case InstanceClientError::timedOut:
        return QStringLiteral("The running Stowline did not answer in time.");
    case InstanceClientError::malformedReply:
        return QStringLiteral("The running Stowline gave an answer this version does not understand.");
    case InstanceClientError::failed:
        return QStringLiteral("The connection to the running Stowline broke off.");
    }
    return {};
}

QString InstanceClient::defaultSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(AppIdentity::applicationIdentifier() + u".socket");
    return QDir(QDir::tempPath())
        .filePath(AppIdentity::applicationIdentifier() + u'-' + QString::number(::getuid()) + u".socket");
}

Result<InstanceReply, InstanceClientError>
InstanceClient::send(const QString& socketPath, const InstanceRequest& request, int timeoutMilliseconds) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
        case QLocalSocket::ConnectionRefusedError:
            return fail(InstanceClientError::notRunning);
        case QLocalSocket::SocketTimeoutError:
            return fail(InstanceClientError::timedOut);
        default:
            return fail(InstanceClientError::failed);
        }
    }
    socket.write(request.encode());
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return fail(deadline.hasExpired() ? InstanceClientError::timedOut : InstanceClientError::failed);
    QByteArray received;
    // Only the newly arrived part is searched for the end of the line, so a long listing is read in linear time.
    qsizetype end = -1;
    while (end < 0) {
        if (received.size() > InstanceProtocol::maxReplyBytes)
            return fail(InstanceClientError::malformedReply);
        const qsizetype searched = received.size();
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime()))) {
            if (deadline.hasExpired())
                return fail(InstanceClientError::timedOut);
            received += socket.readAll();
            end = received.indexOf('\n', searched);
            if (end < 0)
                return fail(received.isEmpty() ? InstanceClientError::failed : InstanceClientError::malformedReply);
            break;
        }
        received += socket.readAll();
        end = received.indexOf('\n', searched);
    }
    const std::optional<InstanceReply> reply = InstanceReply::decode(received.left(end + 1));
    if (!reply)
        return fail(InstanceClientError::malformedReply);
    return *reply;
}

} // namespace stowline
