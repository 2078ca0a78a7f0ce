#include "app/shortcut/GlobalHotKey.h"

#include "app/platform/KeyCodeTable.h"
#include "app/platform/KeystrokePoster.h"

namespace stowline {

GlobalHotKey::GlobalHotKey(HotKeyService& service, const KeystrokePoster& accessibility, std::function<void()> action,
                           QObject* parent)
    : QObject(parent), m_service(service), m_accessibility(accessibility), m_action(std::move(action)) {
    connect(&m_service, &HotKeyService::pressed, this, &GlobalHotKey::deliver);
}

GlobalHotKey::~GlobalHotKey() {
    unregister();
}

std::optional<HotKey> GlobalHotKey::hotKeyFor(const HotKeyConfiguration& shortcut) {
    const std::optional<quint32> keysym = KeyCodeTable::keysymForKeyCode(shortcut.keyCode);
    if (!keysym)
        return std::nullopt;
    return HotKey{*keysym, KeyCodeTable::xModifiersForCarbon(shortcut.modifiers)};
}

bool GlobalHotKey::registerShortcut(const HotKeyConfiguration& shortcut) {
    if (shortcut.requiresAccessibilityInterception() && !m_accessibility.isAvailable())
        return false;
    if (m_registeredShortcut == shortcut && m_registeredKey && m_service.isRegistered(*m_registeredKey))
        return true;
    const std::optional<HotKey> key = hotKeyFor(shortcut);
    if (!key)
        return false;
    // The new grab comes first, so a refused combination leaves the previous one working.
    const bool alreadyGrabbed = m_registeredKey == key && m_service.isRegistered(*key);
    if (!alreadyGrabbed && !m_service.registerKey(*key))
        return false;
    if (m_registeredKey && m_registeredKey != key)
        m_service.unregisterKey(*m_registeredKey);
    m_registeredKey = key;
    m_registeredShortcut = shortcut;
    return true;
}

void GlobalHotKey::unregister() {
    if (m_registeredKey)
        m_service.unregisterKey(*m_registeredKey);
    m_registeredKey.reset();
    m_registeredShortcut.reset();
}

void GlobalHotKey::suspendDelivery() {
    m_suspended = true;
    if (m_registeredKey && m_service.isRegistered(*m_registeredKey))
        m_service.unregisterKey(*m_registeredKey);
}

void GlobalHotKey::resumeDelivery() {
    m_suspended = false;
    // Refused only when another client took the combination meanwhile; the next registration reports that.
    if (m_registeredKey && !m_service.isRegistered(*m_registeredKey))
        (void)m_service.registerKey(*m_registeredKey);
}

void GlobalHotKey::deliver(const HotKey& key) {
    if (key != m_registeredKey)
        return;
    // Never inside the platform's dispatch: the action may open windows or register shortcuts.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_action)
                m_action();
        },
        Qt::QueuedConnection);
}

} // namespace stowline
