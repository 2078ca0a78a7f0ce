#pragma once

#include "core/permission/DesktopReadiness.h"
#include "core/permission/PermissionReadinessRequirements.h"
#include "core/permission/PermissionRequestStateMachine.h"

#include "app/ui/widgets/FloatingWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace stowline {

class AppPreferences;
class ClipboardActions;
class PermissionReadinessView;

// The small window that explains why the current settings need the desktop's paste access. It is only ever
// hidden, never closed: the close button, Escape and Ctrl+W decline the open request instead.
class PermissionReadinessWindow : public FloatingWindow {
    Q_OBJECT

public:
    static constexpr QSize fixedSize{460, 430};

    explicit PermissionReadinessWindow(QWidget* parent = nullptr);

    PermissionReadinessView* view() const;
    // Taller when the view asks for more than the usual height.
    void setView(PermissionReadinessView* view);
};

// Decides from the preferences whether the permission window is needed, shows it, follows the request and
// reports the outcome: granted (the chosen shortcut can go live) or declined (fall back to one that needs no
// permission). GUI thread only.
class PermissionReadinessWindowManager : public QObject {
    Q_OBJECT

public:
    // `preferences` and `actions` must outlive this object.
    PermissionReadinessWindowManager(AppPreferences& preferences, ClipboardActions& actions,
                                     std::function<void()> onAccessibilityGranted,
                                     std::function<void()> onPermissionDeclined, QObject* parent = nullptr);
    ~PermissionReadinessWindowManager() override;

    static QString windowTitle();

    // A forced showing ignores the user's earlier dismissal; a review (from the settings) shows the window also
    // when nothing is missing, with what the current settings need and whether the desktop grants it.
    enum class Showing { unlessDismissed, forced, review };
    // True when the window is shown.
    bool showIfNeeded(Showing showing, std::function<void()> completion = {});
    // Re-evaluates after a change of the shortcut or instant-paste preference.
    void configurationDidChange();
    void close(bool granted);

    // In a Wayland session: what the desktop lets Stowline do, asked at every showing; `createShortcut` makes the
    // desktop's own shortcut where Stowline can (GNOME), after asking.
    using DesktopFactsSource = std::function<std::optional<DesktopFacts>()>;
    void setDesktopFacts(DesktopFactsSource facts, std::function<void()> createShortcut = {});

    PermissionReadinessWindow* window() const { return m_window.get(); }
    bool isWindowVisible() const { return m_window && m_window->isVisible(); }
    PermissionRequestStateMachine& requestState() { return m_requestState; }
    ClipboardActions& actions() { return m_actions; }

private:
    PermissionReadinessRequirements requirements() const;
    void notNow();

    AppPreferences& m_preferences;
    ClipboardActions& m_actions;
    std::function<void()> m_onAccessibilityGranted;
    std::function<void()> m_onPermissionDeclined;
    std::unique_ptr<PermissionReadinessWindow> m_window;
    std::function<void()> m_completion;
    bool m_reviewOnly = false;
    PermissionRequestStateMachine m_requestState;
    DesktopFactsSource m_desktopFacts;
    std::function<void()> m_createShortcut;
};

} // namespace stowline
