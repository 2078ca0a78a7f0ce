#include "app/platform/x11/XTestKeystrokePoster.h"

#include "app/platform/x11/XcbKeyboard.h"

#include <xcb/xtest.h>

#include <utility>

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

XTestKeystrokePoster::XTestKeystrokePoster(XcbConnection connection) : m_connection(std::move(connection)) {
    m_releasePoll.setInterval(releasePollMilliseconds);
    QObject::connect(&m_releasePoll, &QTimer::timeout, &m_releasePoll, [this] { postWhenReleased(); });
}

bool XTestKeystrokePoster::isAvailable() const {
    if (!m_connection.isValid())
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection.get(), &xcb_test_id);
    return extension != nullptr && extension->present != 0;
}

void XTestKeystrokePoster::fakeKey(uint8_t type, xcb_keycode_t code) const {
    xcb_test_fake_input(m_connection.get(), type, code, XCB_CURRENT_TIME, m_connection.root(), 0, 0, 0);
}

bool XTestKeystrokePoster::postPasteKeystroke(PasteTarget target) {
    if (!isAvailable() || XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kControlLeft).isEmpty() ||
        XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kLowercaseV).isEmpty())
        return false;
    m_waitingPastes.append(std::move(target));
    if (!m_releasePoll.isActive()) {
        m_releaseDeadline = QDeadlineTimer(releaseWaitMilliseconds);
        postWhenReleased();
    }
    return true;
}

void XTestKeystrokePoster::postWhenReleased() {
    // Pressing a modifier the user holds now and lets go of a moment later would leave it logically down, or
    // show the focused application a lone Alt or Super tap; so wait for the hands to leave the keys first.
    if (!heldModifierKeys(m_connection.get()).isEmpty() && !m_releaseDeadline.hasExpired()) {
        m_releasePoll.start();
        return;
    }
    m_releasePoll.stop();
    const QList<PasteTarget> targets = std::exchange(m_waitingPastes, {});
    QList<std::function<void()>> refusals;
    for (const PasteTarget& target : targets) {
        // Asked again for each paste, as late as can be: whatever has the focus now gets the keys.
        if (target.window != 0 && activeWindow() == target.window)
            post();
        else if (target.refused)
            refusals.append(target.refused);
    }
    xcb_flush(m_connection.get());
    for (const auto& refused : refusals)
        refused();
}

quint64 XTestKeystrokePoster::activeWindow() const {
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        m_connection.get(), 0, m_connection.root(), m_connection.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    const XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection.get(), cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

void XTestKeystrokePoster::post() {
    const QList<xcb_keycode_t> control = XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kControlLeft);
    const QList<xcb_keycode_t> v = XcbKeyboard::keyCodes(m_connection.get(), XcbKeyboard::kLowercaseV);
    // The receiver must see exactly Ctrl+V. What is still held after the wait is released around it and put
    // back, so the server's key state matches the keyboard again; nothing else is ever pressed.
    const QList<xcb_keycode_t> held = heldModifierKeys(m_connection.get());
    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_RELEASE, code);
    fakeKey(XCB_KEY_PRESS, control.first());
    fakeKey(XCB_KEY_PRESS, v.first());
    fakeKey(XCB_KEY_RELEASE, v.first());
    fakeKey(XCB_KEY_RELEASE, control.first());
    for (const xcb_keycode_t code : held)
        fakeKey(XCB_KEY_PRESS, code);
}

} // namespace stowline
