#pragma once

#include "core/permission/PermissionReadinessRequirements.h"

#include <QList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace stowline {

// The permission window's content: why the desktop access is needed for the current settings, the state of the
// access (checked again every 0.8 s while shown), and the two ways out. A new view is made for every showing.
class PermissionReadinessView : public QWidget {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<bool()> isAccessibilityGranted;
        std::function<void()> requestAccessibility;
        std::function<void()> permissionGranted;
        std::function<void()> notNow;
        // Opened from the settings to look, not to answer a request.
        bool reviewOnly = false;
    };

    static constexpr int checkIntervalMs = 800;

    // `desktopSection`, when given, goes below the notes (what a Wayland desktop lets Stowline do).
    PermissionReadinessView(const PermissionReadinessRequirements& requirements, Callbacks callbacks,
                            QWidget* desktopSection = nullptr, QWidget* parent = nullptr);

    bool granted() const { return m_granted; }
    bool requestSent() const { return m_requestSent; }
    QPushButton* declineButton() const { return m_declineButton; }
    QPushButton* primaryButton() const { return m_primaryButton; }
    // What one period of the check timer does; the timer calls it.
    void checkAccess();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void primaryPressed();
    void setGranted(bool granted);
    void refresh();
    void applyColours();

    PermissionReadinessRequirements m_requirements;
    Callbacks m_callbacks;
    bool m_granted = false;
    bool m_requestSent = false;
    bool m_shownBefore = false;
    QTimer m_timer;
    QWidget* m_row = nullptr;
    QList<QLabel*> m_notes;
    QLabel* m_statusSymbol = nullptr;
    QLabel* m_completeInSettings = nullptr;
    QPushButton* m_declineButton = nullptr;
    QPushButton* m_primaryButton = nullptr;
};

} // namespace stowline
