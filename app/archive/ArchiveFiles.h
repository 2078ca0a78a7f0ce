#pragma once

#include "core/support/Result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

namespace stowline {

// A file-system step that failed, with the path and the system's reason.
struct FileError {
    QString path;
    QString reason;

    QString describe() const { return path + QStringLiteral(": ") + reason; }
};

// File steps shared by the archive and the key file: private folders, whole-file atomic replacement that
// survives a crash or power cut at any moment, and reads.
namespace ArchiveFiles {

constexpr QFileDevice::Permissions privateFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool exists(const QString& path);

// Creates the folder and missing parents with owner-only access; folders that exist are left as they are.
Status<FileError> makePrivateFolder(const QString& path);

// Writes a temporary file beside `path` with owner-only access, flushes it to disk, renames it over `path` and
// flushes the folder, so `path` always holds either the old or the new bytes in full. Once the rename is done the
// write counts as made, even when flushing the folder fails (that is logged).
Status<FileError> replaceAtomically(const QString& path, const QByteArray& bytes);
// The same, with the bytes written by `write` through the function it is given (which returns false when the
// file cannot take them); `write` returns false to give up, leaving the old file in place.
Status<FileError> replaceAtomically(const QString& path,
                                    const std::function<bool(const std::function<bool(QByteArrayView)>&)>& write);

// Writes a file for the user (an export): refuses a path that is a symbolic link or not a regular file, and an
// existing file unless `replace`. The bytes go to a new owner-only file created exclusively (never through a
// link) in the target's folder, which is opened once and must not be writable by others unless it is sticky;
// the file is then renamed into place in that same folder, without replacing anything that appeared meanwhile
// unless `replace`.
Status<FileError> writeNewFile(const QString& path, QByteArrayView bytes, bool replace);

// Replaces the step that flushes a folder to disk (null restores it), so tests can make it fail.
void setFolderSyncForTesting(std::function<bool(const QString&)> sync);

// Writes `bytes` at `offset` of an existing file, cutting off whatever lay at or past `offset` first, and flushes
// the file's data to disk before returning.
Status<FileError> writeAtEndDurably(const QString& path, qint64 offset, const QByteArray& bytes);

Result<QByteArray, FileError> readAll(const QString& path);
// Opens the file and hands `read` its size and a function that fills a buffer with exactly the file's next bytes
// (false when it cannot, for example because the file shrank), so a large file is read a piece at a time; returns
// the first failure.
using NextBytes = std::function<bool(char* into, qint64 bytes)>;
Status<FileError> readInPieces(const QString& path,
                               const std::function<void(qint64 size, const NextBytes& next)>& read);

// Renames `path` to the first of `stem` + `suffix`, `stem` + "-2" + `suffix`, … that does not exist yet; never
// replaces a file. Returns the new path.
Result<QString, FileError> moveToFreeName(const QString& path, const QString& stem, const QString& suffix);

Status<FileError> removeIfPresent(const QString& path);

// How a file or folder that should be private to its owner was found.
struct PrivacyCheck {
    enum class State {
        // Missing, or no permission bits for others.
        privateAlready,
        // Others had access; the mode is now the private one.
        madePrivate,
        // Others have access and it is not this user's (or the mode could not be changed): left as it is.
        openToOthers,
    };
    State state = State::privateAlready;
    // The permission bits found, for the message.
    unsigned mode = 0;
};

// Takes every permission of group and others from `path` (following a link to where it leads) when it belongs
// to this user, leaving the mode `privateMode`.
PrivacyCheck makePrivateIfOpen(const QString& path, unsigned privateMode);

} // namespace ArchiveFiles

} // namespace stowline
