#include "app/archive/LockedKeyBuffer.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace stowline;

namespace {

// The kernel's flags for the mapping that holds `address` ("lo": locked, "dd": left out of core dumps).
QByteArrayList mappingFlags(const void* address) {
    QFile maps(QStringLiteral("/proc/self/smaps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    const auto at = quintptr(address);
    bool inside = false;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype dash = line.indexOf('-');
        const qsizetype space = line.indexOf(' ');
        if (dash > 0 && space > dash && !line.startsWith("VmFlags")) {
            bool ok = false;
            const quintptr start = line.left(dash).toULongLong(&ok, 16);
            const quintptr end = line.mid(dash + 1, space - dash - 1).toULongLong(nullptr, 16);
            inside = ok && start <= at && at < end;
        } else if (inside && line.startsWith("VmFlags:")) {
            return line.mid(8).simplified().split(' ');
        }
    }
    return {};
}

} // namespace

TEST(LockedKeyBuffer, KeysLieInLockedMemoryLeftOutOfCoreDumpsAndAreWipedOnRelease) {
    LockedKeyBuffer keys;
    const QByteArray key(LockedKeyBuffer::keyBytes, 'k');
    bool replaced = true;
    const QByteArrayView held = keys.store(0, key, &replaced);
    EXPECT_FALSE(replaced);
    ASSERT_EQ(held, key);
    EXPECT_NE(held.data(), key.constData());

    const QByteArrayList flags = mappingFlags(held.data());
    EXPECT_TRUE(flags.contains("dd")) << flags.join(' ').toStdString();
    EXPECT_EQ(flags.contains("lo"), keys.isLocked());
    EXPECT_TRUE(keys.isExcludedFromDumps());

    keys.store(0, QByteArray(LockedKeyBuffer::keyBytes, 'n'), &replaced);
    EXPECT_TRUE(replaced);
    keys.release(0);
    EXPECT_EQ(QByteArrayView(held.data(), held.size()), QByteArray(LockedKeyBuffer::keyBytes, '\0'));
    // A key of another length is not kept.
    EXPECT_TRUE(keys.store(1, "short").isEmpty());
}
