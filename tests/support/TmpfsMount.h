#pragma once

#include <QString>

namespace stowline::test {

// A small tmpfs mounted on a folder for as long as the object lives, for a disk that really fills up. Mounting
// needs root (or the capability); `skipReason` says why it could not be done, and the test then skips.
class TmpfsMount {
public:
    TmpfsMount(const QString& folder, qint64 bytes);
    ~TmpfsMount();

    bool isMounted() const { return m_mounted; }
    const QString& skipReason() const { return m_skipReason; }

    // Writes a file that takes every free byte, so the next write fails with "no space left"; removing it makes
    // room again.
    bool fill();
    void makeRoom();

private:
    QString m_folder;
    QString m_filler;
    bool m_mounted = false;
    QString m_skipReason;
};

} // namespace stowline::test
