#include "app/platform/fake/FakeHotKeyService.h"

namespace stowline {

bool FakeHotKeyService::registerKey(const HotKey& key) {
    if (m_taken.contains(key))
        return false;
    if (!m_registered.contains(key))
        m_registered.append(key);
    return true;
}

void FakeHotKeyService::press(const HotKey& key) {
    if (isRegistered(key))
        QMetaObject::invokeMethod(
            this, [this, key] { Q_EMIT pressed(key); }, Qt::QueuedConnection);
}

} // namespace stowline
