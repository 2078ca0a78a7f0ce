#pragma once

#include "app/platform/HotKeyService.h"
#include "app/platform/x11/XcbConnection.h"

#include <QAbstractNativeEventFilter>
#include <QList>

namespace stowline {

// Passive key grabs on the root window. Each combination is grabbed for every key code that types the keysym and
// with every state of the lock modifiers (Caps Lock, Num Lock), so it works whatever locks are on.
class X11HotKeyService final : public HotKeyService, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11HotKeyService(XcbConnection connection = XcbConnection::ofApplication(), QObject* parent = nullptr);
    ~X11HotKeyService() override;

    [[nodiscard]] bool registerKey(const HotKey& key) override;
    void unregisterKey(const HotKey& key) override;
    bool isRegistered(const HotKey& key) const override;

private:
    struct Grab {
        HotKey key;
        QList<xcb_keycode_t> keyCodes;
        // The lock-modifier states grabbed, as the keyboard map had them at registration.
        QList<quint16> lockVariants;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void ungrab(const Grab& grab);

    XcbConnection m_connection;
    QList<Grab> m_grabs;
};

} // namespace stowline
