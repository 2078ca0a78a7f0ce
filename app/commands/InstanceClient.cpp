#include "app/commands/InstanceClient.h"

#include "core/support/AppIdentity.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
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
    case InstanceClientError::otherUser:
        return QStringLiteral("The program answering on Stowline's socket belongs to another user; Stowline does "
                              "not talk to it.");
    }
    return {};
}

bool InstanceClient::isPrivateFolder(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

bool InstanceClient::peerIsThisUser(qintptr descriptor) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return descriptor >= 0 && ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

Result<QString, QString> InstanceClient::defaultSocketPath() {
    const QString socketName = AppIdentity::applicationIdentifier() + u".socket";
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QDir(runtime).filePath(socketName);

    // In the shared temporary folder anyone may create the name first, so it is checked after it is made, and
    // never followed if it is a link.
    const QString folder =
        QDir(QDir::tempPath()).filePath(AppIdentity::applicationIdentifier() + u'-' + QString::number(::geteuid()));
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QStringLiteral("Stowline cannot create its socket folder %1: %2")
                        .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat status {};
    QString problem;
    if (::lstat(name.constData(), &status) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    else if (S_ISLNK(status.st_mode))
        problem = QStringLiteral("is a symbolic link");
    else if (!S_ISDIR(status.st_mode))
        problem = QStringLiteral("is not a folder");
    else if (status.st_uid != ::geteuid())
        problem = QStringLiteral("belongs to another user");
    else if ((status.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
        problem = QStringLiteral("is open to other users (permissions %1)")
                      .arg(QString::number(status.st_mode & 07777, 8).rightJustified(4, u'0'));
    if (!problem.isEmpty())
        return fail(QStringLiteral("Stowline's socket folder %1 %2, so another user could answer in Stowline's "
                                   "place; Stowline will not use it. Remove it, or set XDG_RUNTIME_DIR to a "
                                   "folder only you can enter.")
                        .arg(folder, problem));
    return QDir(folder).filePath(socketName);
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
    // Only an instance of this user may hear what is asked (the words of a search, say).
    if (!peerIsThisUser(socket.socketDescriptor()))
        return fail(InstanceClientError::otherUser);
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
