#pragma once

#include "app/platform/HotKeyService.h"

#include <QList>

namespace stowline {

class FakeHotKeyService final : public HotKeyService {
    Q_OBJECT

public:
    using HotKeyService::HotKeyService;

    [[nodiscard]] bool registerKey(const HotKey& key) override;
    void unregisterKey(const HotKey& key) override { m_registered.removeAll(key); }
    bool isRegistered(const HotKey& key) const override { return m_registered.contains(key); }

    // Combinations another application holds.
    void setTaken(const QList<HotKey>& keys) { m_taken = keys; }
    // The user presses the combination: delivered (queued, as the real service does) only when registered.
    void press(const HotKey& key);
    const QList<HotKey>& registered() const { return m_registered; }

private:
    QList<HotKey> m_registered;
    QList<HotKey> m_taken;
};

} // namespace stowline
