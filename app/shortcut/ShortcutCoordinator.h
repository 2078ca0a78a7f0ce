#pragma once

#include "core/shortcut/HotKeyConfiguration.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace stowline {

class AppPreferences;
class GlobalHotKey;
class Notices;

// Keeps one global shortcut live: the user's choice when the system takes it, otherwise the live one or a built-in,
// and says why through the notices. Used on the GUI thread only.
class ShortcutCoordinator : public QObject {
    Q_OBJECT

public:
    // `refreshAccessibility` reads the permission again and returns it. All references must outlive this object.
    ShortcutCoordinator(GlobalHotKey& hotKey, AppPreferences& preferences, Notices& notices,
                        std::function<bool()> refreshAccessibility, bool isBackgroundLaunch, QObject* parent = nullptr);

    // The start-up decision, then every later change of the shortcut preference is followed.
    void start();

    void registerHotKey(const HotKeyConfiguration& shortcut);
    void activateBuiltInFallback(const HotKeyConfiguration& rejected);
    // Back to a shortcut that needs no permission, when the chosen one needs it: the user declined, or the
    // permission is gone. Clears the message on success.
    void revertPermissionDependentChoices();

    // The shortcut the system delivers right now; nothing until a registration succeeded.
    const std::optional<HotKeyConfiguration>& activeShortcut() const { return m_activeShortcut; }

Q_SIGNALS:
    // Queued, never from inside a registration: the permission window should open, or re-evaluate what the
    // current settings need.
    void permissionWindowRequested();
    void permissionConfigurationChanged();

private:
    void configureInitialShortcut();
    void shortcutPreferenceChanged(const HotKeyConfiguration& shortcut);
    QString liveDisplayText() const;
    void later(void (ShortcutCoordinator::*signal)());

    GlobalHotKey& m_hotKey;
    AppPreferences& m_preferences;
    Notices& m_notices;
    std::function<bool()> m_refreshAccessibility;
    bool m_isBackgroundLaunch;
    std::optional<HotKeyConfiguration> m_activeShortcut;
};

} // namespace stowline
