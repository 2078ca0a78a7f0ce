#include "tests/support/TmpfsMount.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace stowline::test {

TmpfsMount::TmpfsMount(const QString& folder, qint64 bytes)
    : m_folder(folder), m_filler(folder + QStringLiteral("/.filler")) {
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_skipReason = QStringLiteral("cannot mount a tmpfs for a full disk here (%1); run as root to test it")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

TmpfsMount::~TmpfsMount() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool TmpfsMount::fill() {
    QFile filler(m_filler);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray block(4096, 'f');
    // Until the disk refuses even one more block.
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    return true;
}

void TmpfsMount::makeRoom() {
    QFile::remove(m_filler);
}

} // namespace stowline::test
