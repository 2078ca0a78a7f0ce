#pragma once

#include "app/platform/HotKeyService.h"
#include "core/shortcut/HotKeyConfiguration.h"

#include <QObject>

#include <functional>
#include <optional>

namespace stowline {

class KeystrokePoster;

// Makes the system deliver one shortcut to the application and runs the action when it is pressed. On X11 both
// delivery paths are key grabs; a one-modifier shortcut still needs the accessibility stand-in, as interception
// would elsewhere. Used on the GUI thread only.
class GlobalHotKey : public QObject {
    Q_OBJECT

public:
    // `service` and `accessibility` must outlive this object.
    GlobalHotKey(HotKeyService& service, const KeystrokePoster& accessibility, std::function<void()> action,
                 QObject* parent = nullptr);
    ~GlobalHotKey() override;

    // Makes `shortcut` the one delivered. False when it needs the permission that is missing, cannot be typed on
    // this keyboard, or is taken by another client; the previous shortcut keeps working then.
    [[nodiscard]] bool registerShortcut(const HotKeyConfiguration& shortcut);
    // Stops all delivery and forgets the shortcut.
    void unregister();

    // Gives the grab back while the user records a new shortcut: the server would otherwise deliver the current
    // shortcut here instead of to the recorder. `resumeDelivery` takes it again.
    void suspendDelivery();
    void resumeDelivery();
    bool isSuspended() const { return m_suspended; }

    const std::optional<HotKeyConfiguration>& registeredShortcut() const { return m_registeredShortcut; }

    // The display server's form of a stored shortcut; nothing when the key has no keysym here.
    static std::optional<HotKey> hotKeyFor(const HotKeyConfiguration& shortcut);

private:
    void deliver(const HotKey& key);

    HotKeyService& m_service;
    const KeystrokePoster& m_accessibility;
    std::function<void()> m_action;
    std::optional<HotKeyConfiguration> m_registeredShortcut;
    std::optional<HotKey> m_registeredKey;
    bool m_suspended = false;
};

} // namespace stowline
