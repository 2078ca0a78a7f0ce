#include "app/platform/x11/XTestKeystrokePoster.h"

#include "app/platform/x11/XcbKeyboard.h"

#include <xcb/xtest.h>

namespace stowline {

namespace {

constexpr int kLockModifierIndex = 1;

// Modifier keys the user holds right now, leaving out the lock keys: pressing those again would toggle them.
QList<xcb_keycode_t> heldModifierKeys(xcb_connection_t* connection) {
    const XcbPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    if (!keymap)
        return {};
    const QList<xcb_keycode_t> numLockKeys = XcbKeyboard::keyCodes(connection, XcbKeyboard::kNumLock);
    const QList<QList<xcb_keycode_t>> map = XcbKeyboard::modifierMap(connection);
    QList<xcb_keycode_t> held;
    for (qsizetype modifier = 0; modifier < map.size(); ++modifier) {
        if (modifier == kLockModifierIndex)
            continue;
        for (const xcb_keycode_t code : map[modifier]) {
            const bool down = (keymap->keys[code / 8] & (1U << (code % 8))) != 0;
            if (down && !numLockKeys.contains(code) && !held.contains(code))
                held.append(code);
        }
    }
    return held;
}

} // namespace

XTestKeystrokePoster::XTestKeystrokePoster(XcbConnection connection) : m_connection(std::move(connection)) {}

bool XTestKeystrokePoster::isAvailable() const {
    if (!m_connection.isValid())
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection.get(), &xcb_test_id);
    return extension != nullptr && extension->present != 0;
}

void XTestKeystrokePoster::fakeKey(uint8_t type, xcb_keycode_t code) const {
    xcb_test_fake_input(m_connection.get(), type, code, XCB_CURRENT_TIME, m_connection.root(), 0, 0, 0);
}

bool XTestKeystrokePoster::postPasteKeystroke() {
    if (!isAvailable())
        return false;
    const QList<xcb_keycode_t> control = XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kControlLeft);
    const QList<xcb_keycode_t> v = XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kLowercaseV);
    if (control.isEmpty() || v.isEmpty())
        return false;
    // The receiver must see exactly Ctrl+V: release what the user still holds (the shortcut's Alt or Shift, say)
    // and put it back afterwards, so the server's key state matches the keyboard again.
    const QList<xcb_keycode_t> held = heldModifierKeys(m_connection.get());
    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_RELEASE, code);
    fakeKey(XCB_KEY_PRESS, control.first());
    fakeKey(XCB_KEY_PRESS, v.first());
    fakeKey(XCB_KEY_RELEASE, v.first());
    fakeKey(XCB_KEY_RELEASE, control.first());
    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_PRESS, code);
    xcb_flush(m_connection.get());
    return true;
}

} // namespace stowline
