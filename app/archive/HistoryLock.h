#pragma once

#include "app/archive/ArchiveFiles.h"
#include "core/support/Result.h"

#include <QString>

#include <memory>

namespace stowline {

// Why the history's lock was not taken.
struct HistoryLockError {
    enum class Kind {
        // Another process holds it: another Stowline on this or another display, session or machine.
        heldElsewhere,
        // The lock file could not be created or locked.
        fileSystem,
    };

    Kind kind = Kind::fileSystem;
    // Who holds it, as that process wrote it ("process 1234 on host"); may be empty.
    QString holder;
    FileError file;

    // One sentence for the user.
    QString describe() const;
};

// One writer per history: an exclusive `flock` on a file in the history's folder, held as long as this object
// lives. Two writers would each save their own history over the other's. The lock reaches other machines
// where the folder is shared over NFS (Linux maps `flock` to byte-range locks there), and it goes with the
// process, so a crash never leaves it held.
class HistoryLock {
public:
    static constexpr auto fileName = u"history.lock";

    // `create` makes the folder (owner-only) when it is missing; `existing` takes no lock where there is no
    // folder, and so no history and no instance to guard against (the result is then null). Never waits for
    // another holder.
    enum class Folder { create, existing };
    static Result<std::unique_ptr<HistoryLock>, HistoryLockError> acquire(const QString& directory,
                                                                          Folder folder = Folder::create);
    ~HistoryLock();

    HistoryLock(const HistoryLock&) = delete;
    HistoryLock& operator=(const HistoryLock&) = delete;

private:
    explicit HistoryLock(int descriptor) : m_descriptor(descriptor) {}

    int m_descriptor;
};

} // namespace stowline
