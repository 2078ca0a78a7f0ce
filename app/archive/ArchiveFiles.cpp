#include "app/archive/ArchiveFiles.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stowline::ArchiveFiles {

namespace {

FileError errorFor(const QString& path, const QString& reason) {
    return {path, reason};
}

FileError errnoError(const QString& path) {
    return {path, QString::fromLocal8Bit(std::strerror(errno))};
}

// Makes a completed rename durable: the folder entry itself must reach the disk.
bool syncFolderNow(const QString& folder) {
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

std::function<bool(const QString&)>& folderSync() {
    static std::function<bool(const QString&)> sync = syncFolderNow;
    return sync;
}

} // namespace

void setFolderSyncForTesting(std::function<bool(const QString&)> sync) {
    folderSync() = sync ? std::move(sync) : syncFolderNow;
}

bool exists(const QString& path) {
    return QFileInfo::exists(path);
}

Status<FileError> makePrivateFolder(const QString& path) {
    // Missing parents are created owner-only too, from the outermost one inwards. Folders that exist keep the
    // mode their owner gave them.
    QStringList missing;
    for (QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath()); !QFileInfo(folder).isDir();
         folder = QFileInfo(folder).path())
        missing.prepend(folder);
    for (const QString& folder : std::as_const(missing)) {
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return fail(errnoError(folder));
        }
        // The umask may have taken bits from the new folder, never added any; this only makes it exact.
        if (::chmod(name.constData(), 0700) != 0)
            return fail(errnoError(folder));
    }
    return Unit{};
}

Status<FileError> replaceAtomically(const QString& path, const QByteArray& bytes) {
    return replaceAtomically(path, [&](const std::function<bool(QByteArrayView)>& sink) { return sink(bytes); });
}

Status<FileError> replaceAtomically(const QString& path,
                                    const std::function<bool(const std::function<bool(QByteArrayView)>&)>& write) {
    QSaveFile file(path);
    // Unbuffered: keys and plaintext exports go straight to the file, never through a buffer freed unwiped.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(errorFor(path, file.errorString()));
    const auto sink = [&](QByteArrayView bytes) { return file.write(bytes.data(), bytes.size()) == bytes.size(); };
    if (!file.setPermissions(privateFile) || !write(sink) || !file.flush() || ::fsync(file.handle()) != 0) {
        const FileError error = errorFor(path, file.errorString());
        file.cancelWriting();
        return fail(error);
    }
    if (!file.commit())
        return fail(errorFor(path, file.errorString()));
    // The rename has happened: the new bytes are in place and later reads see them. Only their survival of a
    // power cut in the next moments is in doubt, which is no reason to report the write as failed.
    const QString folder = QFileInfo(path).absolutePath();
    if (!folderSync()(folder))
        qWarning().noquote() << "Stowline: wrote" << path << "but could not flush its folder to disk:"
                             << QString::fromLocal8Bit(std::strerror(errno));
    return Unit{};
}

namespace {

// A folder descriptor closed on every path.
struct Descriptor {
    int value = -1;
    ~Descriptor() {
        if (value >= 0)
            ::close(value);
    }
};

// Why an existing entry at the target may not be written over; nothing when it may.
std::optional<QString> refusalFor(const struct stat& status, bool replace) {
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("is a symbolic link; Stowline does not write through links");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("is not a regular file");
    if (!replace)
        return QStringLiteral("already exists; give --force to replace it");
    return std::nullopt;
}

bool writeFully(int descriptor, QByteArrayView bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t count = ::write(descriptor, bytes.data() + done, size_t(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

} // namespace

Status<FileError> writeNewFile(const QString& path, QByteArrayView bytes, bool replace) {
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty() || name == "." || name == "..")
        return fail(errorFor(path, QStringLiteral("names no file")));
    Descriptor folderDescriptor{::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folderDescriptor.value < 0)
        return fail(errnoError(folder));
    const int at = folderDescriptor.value;
    struct stat folderStatus {};
    if (::fstat(at, &folderStatus) != 0)
        return fail(errnoError(folder));
    // In a folder others may write to, another user could swap the file for a link between our steps; the
    // sticky bit (as on /tmp) keeps them from touching what is ours.
    if ((folderStatus.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (folderStatus.st_mode & S_ISVTX) == 0)
        return fail(errorFor(folder, QStringLiteral("is writable by other users; choose a folder of your own")));
    struct stat existing {};
    if (::fstatat(at, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const auto refusal = refusalFor(existing, replace))
            return fail(errorFor(path, *refusal));
    } else if (errno != ENOENT) {
        return fail(errnoError(path));
    }

    QByteArray temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = "." + name + "." + QByteArray::number(::getpid()) + "-" + QByteArray::number(attempt) + ".part";
        descriptor = ::openat(at, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno != EEXIST)
            return fail(errnoError(path));
    }
    if (descriptor < 0)
        return fail(errorFor(path, QStringLiteral("no free temporary name beside it")));
    const bool written = writeFully(descriptor, bytes) && ::fsync(descriptor) == 0;
    const FileError writeError = errnoError(path);
    ::close(descriptor);
    if (!written) {
        ::unlinkat(at, temporary.constData(), 0);
        return fail(writeError);
    }
    // Without `replace`, a file that appeared since the check is never overwritten.
    int renamed = replace ? ::renameat(at, temporary.constData(), at, name.constData())
                          : ::renameat2(at, temporary.constData(), at, name.constData(), RENAME_NOREPLACE);
    if (renamed != 0 && !replace && errno == EINVAL) {
        // A file system without RENAME_NOREPLACE: a hard link refuses an existing name just the same.
        renamed = ::linkat(at, temporary.constData(), at, name.constData(), 0);
        if (renamed == 0)
            ::unlinkat(at, temporary.constData(), 0);
    }
    if (renamed != 0) {
        const FileError error = errno == EEXIST
                                    ? errorFor(path, QStringLiteral("already exists; give --force to replace it"))
                                    : errnoError(path);
        ::unlinkat(at, temporary.constData(), 0);
        return fail(error);
    }
    if (::fsync(at) != 0)
        qWarning().noquote() << "Stowline: wrote" << path << "but could not flush its folder to disk:"
                             << QString::fromLocal8Bit(std::strerror(errno));
    return Unit{};
}

Status<FileError> writeAtEndDurably(const QString& path, qint64 offset, const QByteArray& bytes) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        return fail(errnoError(path));
    struct stat status {};
    bool written =
        ::fstat(descriptor, &status) == 0 && (status.st_size == offset || ::ftruncate(descriptor, offset) == 0);
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t count =
            ::pwrite(descriptor, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (count < 0 && errno == EINTR)
            continue;
        written = count > 0;
        done += written ? count : 0;
    }
    written = written && ::fdatasync(descriptor) == 0;
    const FileError error = errnoError(path);
    ::close(descriptor);
    if (!written)
        return fail(error);
    return Unit{};
}

Result<QByteArray, FileError> readAll(const QString& path) {
    QByteArray bytes;
    auto read = readInPieces(path, [&](qint64 size, const NextBytes& next) {
        bytes.resize(size);
        if (!next(bytes.data(), size))
            bytes.clear();
    });
    if (!read)
        return fail(read.error());
    return bytes;
}

Status<FileError> readInPieces(const QString& path, const std::function<void(qint64, const NextBytes&)>& read) {
    QFile file(path);
    // Unbuffered: the key file's bytes land only in the caller's buffer, which it wipes.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(errorFor(path, file.errorString()));
    std::optional<FileError> failure;
    const NextBytes next = [&](char* into, qint64 bytes) {
        for (qint64 done = 0; done < bytes && !failure;) {
            const qint64 got = file.read(into + done, bytes - done);
            if (got <= 0)
                failure = errorFor(path, got < 0 ? file.errorString() : QStringLiteral("the file shrank while read"));
            done += got;
        }
        return !failure;
    };
    read(file.size(), next);
    if (failure)
        return fail(*failure);
    return Unit{};
}

Result<QString, FileError> moveToFreeName(const QString& path, const QString& stem, const QString& suffix) {
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const QString candidate = attempt == 1 ? QString(stem + suffix)
                                               : QString(stem + QLatin1Char('-') + QString::number(attempt) + suffix);
        if (exists(candidate))
            continue;
        // QFile::rename refuses an existing target, so a name taken in the meantime is never overwritten.
        QFile file(path);
        if (file.rename(candidate))
            return candidate;
        if (!exists(candidate))
            return fail(errorFor(path, file.errorString()));
    }
    return fail(errorFor(path, QStringLiteral("no free name to move the file to")));
}

Status<FileError> removeIfPresent(const QString& path) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return Unit{};
    QFile file(path);
    if (!file.remove())
        return fail(errorFor(path, file.errorString()));
    return Unit{};
}

PrivacyCheck makePrivateIfOpen(const QString& path, unsigned privateMode) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0 || (status.st_mode & 077) == 0)
        return {PrivacyCheck::State::privateAlready, 0};
    const unsigned found = status.st_mode & 07777;
    if (status.st_uid != ::geteuid() || ::chmod(name.constData(), privateMode) != 0)
        return {PrivacyCheck::State::openToOthers, found};
    return {PrivacyCheck::State::madePrivate, found};
}

} // namespace stowline::ArchiveFiles
