#include "app/archive/HistoryLock.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace stowline {

QString HistoryLockError::describe() const {
    switch (kind) {
    case Kind::heldElsewhere:
        return holder.isEmpty()
                   ? QStringLiteral("the history is open in another Stowline (on another display, session or "
                                    "computer); quit that one first")
                   : QStringLiteral("the history is open in another Stowline (%1); quit that one first").arg(holder);
    case Kind::fileSystem:
        return QStringLiteral("the history cannot be locked for this Stowline (%1)").arg(file.describe());
    }
    return {};
}

Result<std::unique_ptr<HistoryLock>, HistoryLockError> HistoryLock::acquire(const QString& directory, Folder folder) {
    if (folder == Folder::existing && !QFileInfo(directory).isDir())
        return std::unique_ptr<HistoryLock>();
    if (auto made = ArchiveFiles::makePrivateFolder(directory); !made)
        return fail(HistoryLockError{HistoryLockError::Kind::fileSystem, {}, made.error()});
    const QString path = directory + u'/' + QString::fromUtf16(fileName);
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return fail(HistoryLockError{
            HistoryLockError::Kind::fileSystem, {}, {path, QString::fromLocal8Bit(std::strerror(errno))}});
    int locked = 0;
    do
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        HistoryLockError failure{
            HistoryLockError::Kind::fileSystem, {}, {path, QString::fromLocal8Bit(std::strerror(error))}};
        if (error == EWOULDBLOCK) {
            failure.kind = HistoryLockError::Kind::heldElsewhere;
            char holder[256] = {};
            const ssize_t read = ::pread(descriptor, holder, sizeof holder - 1, 0);
            failure.holder = QString::fromUtf8(holder, read > 0 ? qsizetype(read) : 0).trimmed();
        }
        ::close(descriptor);
        return fail(failure);
    }
    // Who holds it, for the message a second start shows; the lock itself does not depend on it.
    const QByteArray holder =
        QStringLiteral("process %1 on %2\n").arg(QString::number(::getpid()), QSysInfo::machineHostName()).toUtf8();
    if (::ftruncate(descriptor, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(descriptor, holder.constData(), size_t(holder.size()), 0);
    }
    return std::unique_ptr<HistoryLock>(new HistoryLock(descriptor));
}

HistoryLock::~HistoryLock() {
    ::close(m_descriptor);
}

} // namespace stowline
