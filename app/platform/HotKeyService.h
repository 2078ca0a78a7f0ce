#pragma once

#include <QObject>

namespace stowline {

// A key combination in the display server's terms: a keysym and a modifier mask (X11: Shift 0x1, Control 0x4,
// Mod1/Alt 0x8, Mod4/Super 0x40). Lock modifiers are never part of it.
struct HotKey {
    quint32 keysym = 0;
    quint16 modifiers = 0;

    friend bool operator==(const HotKey&, const HotKey&) = default;
};

// System-wide key combinations delivered to this application whichever window has the focus. Several may be
// registered at once, so a new one can be taken before the old one is given up. Used on the GUI thread only.
class HotKeyService : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // False when the combination is taken by another client or cannot be typed on this keyboard; nothing is
    // registered then. Registering a registered combination again succeeds without a change.
    [[nodiscard]] virtual bool registerKey(const HotKey& key) = 0;
    virtual void unregisterKey(const HotKey& key) = 0;
    virtual bool isRegistered(const HotKey& key) const = 0;

Q_SIGNALS:
    // Queued: never emitted from inside the platform's event dispatch. Key repeats are presses too.
    void pressed(const stowline::HotKey& key);
};

} // namespace stowline
