#include "tests/support/ProcessMemory.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace stowline::test {

qint64 peakResidentBytes(qint64 pid) {
    QFile status(pid == 0 ? QStringLiteral("/proc/self/status") : QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

} // namespace stowline::test
