#pragma once

#include "core/permission/PermissionReadinessRequirements.h"
#include "core/permission/PermissionRequestStateMachine.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace stowline {

class AppPreferences;
class ClipboardActions;
class PermissionReadinessView;

// The small window that explains why the current settings need the desktop's accessibility stand-in. It is only
// ever hidden, never closed: the close button and Escape decline the open request instead.
class PermissionReadinessWindow : public QDialog {
    Q_OBJECT

public:
    explicit PermissionReadinessWindow(std::function<void()> shouldClose, QWidget* parent = nullptr);

    PermissionReadinessView* view() const { return m_view; }
    void setView(PermissionReadinessView* view);

    void reject() override;

private:
    std::function<void()> m_shouldClose;
    PermissionReadinessView* m_view = nullptr;
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

    // A forced showing ignores the user's earlier dismissal.
    enum class Showing { unlessDismissed, forced };
    // True when the window is shown.
    bool showIfNeeded(Showing showing, std::function<void()> completion = {});
    // Re-evaluates after a change of the shortcut or instant-paste preference.
    void configurationDidChange();
    void close(bool granted);

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
    PermissionRequestStateMachine m_requestState;
};

} // namespace stowline
