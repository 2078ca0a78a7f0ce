#include "app/platform/x11/X11HotKeyService.h"

#include "app/platform/x11/XcbKeyboard.h"

#include <QCoreApplication>

#include <algorithm>

namespace stowline {

namespace {

// Modifier bits a key event's state carries besides the pointer buttons.
constexpr quint16 kModifierBits = 0xff;

QList<quint16> lockVariants(xcb_connection_t* connection) {
    const quint16 numLock = XcbKeyboard::modifierMaskOf(connection, XcbKeyboard::kNumLock);
    QList<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK)
        variants << numLock << static_cast<quint16>(numLock | XCB_MOD_MASK_LOCK);
    return variants;
}

} // namespace

X11HotKeyService::X11HotKeyService(XcbConnection connection, QObject* parent)
    : HotKeyService(parent), m_connection(std::move(connection)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab& grab : m_grabs)
        ungrab(grab);
    if (m_connection.isValid())
        xcb_flush(m_connection.get());
}

bool X11HotKeyService::registerKey(const HotKey& key) {
    if (isRegistered(key))
        return true;
    if (!m_connection.isValid() || (key.modifiers & ~kModifierBits) != 0)
        return false;
    Grab grab{key, XcbKeyboard::keyCodes(m_connection.get(), key.keysym), lockVariants(m_connection.get())};
    if (grab.keyCodes.isEmpty())
        return false;

    QList<xcb_void_cookie_t> cookies;
    for (const xcb_keycode_t code : grab.keyCodes) {
        for (const quint16 variant : grab.lockVariants) {
            cookies.append(xcb_grab_key_checked(m_connection.get(), 0, m_connection.root(), key.modifiers | variant,
                                                code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    // Another client's grab of any variant is refused with BadAccess: the combination is taken.
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies)
        refused = XcbPointer<xcb_generic_error_t>(xcb_request_check(m_connection.get(), cookie)) != nullptr || refused;
    if (refused) {
        ungrab(grab);
        xcb_flush(m_connection.get());
        return false;
    }
    m_grabs.append(grab);
    return true;
}

void X11HotKeyService::unregisterKey(const HotKey& key) {
    const auto found =
        std::find_if(m_grabs.cbegin(), m_grabs.cend(), [&](const Grab& grab) { return grab.key == key; });
    if (found == m_grabs.cend())
        return;
    ungrab(*found);
    xcb_flush(m_connection.get());
    m_grabs.erase(found);
}

bool X11HotKeyService::isRegistered(const HotKey& key) const {
    return std::any_of(m_grabs.cbegin(), m_grabs.cend(), [&](const Grab& grab) { return grab.key == key; });
}

void X11HotKeyService::ungrab(const Grab& grab) {
    // Ungrabbing only ever releases this client's own grabs, so the variants another client holds are safe.
    for (const xcb_keycode_t code : grab.keyCodes) {
        for (const quint16 variant : grab.lockVariants)
            xcb_ungrab_key(m_connection.get(), code, m_connection.root(), grab.key.modifiers | variant);
    }
}

bool X11HotKeyService::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_grabs.isEmpty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* keyEvent = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (keyEvent->event != m_connection.root())
        return false;
    for (const Grab& grab : std::as_const(m_grabs)) {
        quint16 locks = 0;
        for (const quint16 variant : grab.lockVariants)
            locks |= variant;
        if (grab.key.modifiers != (keyEvent->state & kModifierBits & ~locks) ||
            !grab.keyCodes.contains(keyEvent->detail))
            continue;
        if (type == XCB_KEY_PRESS) {
            QMetaObject::invokeMethod(
                this, [this, key = grab.key] { Q_EMIT pressed(key); }, Qt::QueuedConnection);
        }
        return true;
    }
    return false;
}

} // namespace stowline
