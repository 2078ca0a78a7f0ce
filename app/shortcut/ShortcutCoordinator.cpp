#include "app/shortcut/ShortcutCoordinator.h"

#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"

namespace stowline {

ShortcutCoordinator::ShortcutCoordinator(GlobalHotKey& hotKey, AppPreferences& preferences, Notices& notices,
                                         std::function<bool()> refreshAccessibility, bool isBackgroundLaunch,
                                         QObject* parent)
    : QObject(parent)
    , m_hotKey(hotKey)
    , m_preferences(preferences)
    , m_notices(notices)
    , m_refreshAccessibility(std::move(refreshAccessibility))
    , m_isBackgroundLaunch(isBackgroundLaunch) {}

void ShortcutCoordinator::start() {
    // Subscribed first: a built-in taken over at start-up is written to the preference, and only the nested
    // registration that this write triggers makes it the last proven shortcut.
    connect(&m_preferences, &AppPreferences::shortcutChanged, this, &ShortcutCoordinator::shortcutPreferenceChanged);
    configureInitialShortcut();
}

QString ShortcutCoordinator::liveDisplayText() const {
    return m_activeShortcut ? m_activeShortcut->displayText : HotKeyConfiguration::alternateShortcut().displayText;
}

void ShortcutCoordinator::later(void (ShortcutCoordinator::*signal)()) {
    QMetaObject::invokeMethod(
        this,
        [this, signal] {
            Q_EMIT(this->*signal)
            ();
        },
        Qt::QueuedConnection);
}

void ShortcutCoordinator::configureInitialShortcut() {
    const HotKeyConfiguration wanted = m_preferences.shortcut();
    if (!wanted.requiresAccessibilityInterception() || m_refreshAccessibility()) {
        registerHotKey(wanted);
        return;
    }
    QList<HotKeyConfiguration> candidates;
    for (const HotKeyConfiguration& candidate :
         {m_preferences.lastProvenShortcut(), HotKeyConfiguration::defaultShortcut(),
          HotKeyConfiguration::alternateShortcut()}) {
        if (!candidates.contains(candidate))
            candidates.append(candidate);
    }
    for (const HotKeyConfiguration& candidate : candidates) {
        if (!m_hotKey.registerShortcut(candidate))
            continue;
        // The preference keeps the user's choice; it becomes live once the permission is granted.
        m_activeShortcut = candidate;
        m_notices.post(Notice::shortcutNeedsAccessibility, {wanted.displayText, candidate.displayText});
        if (!m_isBackgroundLaunch)
            later(&ShortcutCoordinator::permissionWindowRequested);
        return;
    }
    m_notices.post(Notice::noBuiltInShortcut);
}

void ShortcutCoordinator::shortcutPreferenceChanged(const HotKeyConfiguration& shortcut) {
    if (shortcut.requiresAccessibilityInterception() && !m_refreshAccessibility()) {
        m_notices.post(Notice::shortcutNeedsAccessibility, {shortcut.displayText, liveDisplayText()});
        later(&ShortcutCoordinator::permissionWindowRequested);
        return;
    }
    registerHotKey(shortcut);
    later(&ShortcutCoordinator::permissionConfigurationChanged);
}

void ShortcutCoordinator::registerHotKey(const HotKeyConfiguration& shortcut) {
    if (m_hotKey.registerShortcut(shortcut)) {
        m_activeShortcut = shortcut;
        m_preferences.setLastProvenShortcut(shortcut);
        m_notices.withdraw(UserMessage::Kind::shortcutNeedsAccessibility);
        return;
    }
    if (shortcut.requiresAccessibilityInterception() && !m_refreshAccessibility()) {
        m_notices.post(Notice::shortcutNeedsAccessibility, {shortcut.displayText, liveDisplayText()});
        // With another shortcut live, it stays; the choice becomes live once the permission is granted.
        if (!m_activeShortcut || m_activeShortcut == shortcut)
            activateBuiltInFallback(shortcut);
        return;
    }
    m_notices.post(Notice::shortcutInUse, {shortcut.displayText});
    if (!m_activeShortcut)
        activateBuiltInFallback(shortcut);
    else if (m_activeShortcut != shortcut)
        m_preferences.setShortcut(*m_activeShortcut);
}

void ShortcutCoordinator::activateBuiltInFallback(const HotKeyConfiguration& rejected) {
    for (const HotKeyConfiguration& candidate : HotKeyConfiguration::builtInShortcuts()) {
        if (candidate == rejected || !m_hotKey.registerShortcut(candidate))
            continue;
        m_activeShortcut = candidate;
        // Announced at once: the subscription registers it again, which makes it the last proven shortcut.
        m_preferences.setShortcut(candidate);
        if (rejected == HotKeyConfiguration::defaultShortcut())
            m_notices.post(Notice::defaultShortcutReplaced,
                           {HotKeyConfiguration::defaultShortcut().displayText, candidate.displayText});
        return;
    }
    m_notices.post(Notice::nothingRegistered, {rejected.displayText});
}

void ShortcutCoordinator::revertPermissionDependentChoices() {
    if (!m_preferences.shortcut().requiresAccessibilityInterception())
        return;
    const HotKeyConfiguration proven = m_preferences.lastProvenShortcut();
    HotKeyConfiguration replacement = HotKeyConfiguration::defaultShortcut();
    if (!proven.requiresAccessibilityInterception())
        replacement = proven;
    else if (m_activeShortcut && !m_activeShortcut->requiresAccessibilityInterception())
        replacement = *m_activeShortcut;
    if (!m_hotKey.registerShortcut(replacement)) {
        activateBuiltInFallback(m_preferences.shortcut());
        return;
    }
    m_activeShortcut = replacement;
    m_preferences.setShortcut(replacement);
    m_notices.show(std::nullopt);
}

} // namespace stowline
