#pragma once

#include "core/permission/DesktopReadiness.h"

#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace stowline {

// The readiness window's part about a Wayland desktop: capture, source application, shortcut and paste, each
// working or not, with the one step the user can take for a missing piece and, where the step is a line of
// configuration, a button that copies it.
class DesktopReadinessSection : public QWidget {
    Q_OBJECT

public:
    struct Callbacks {
        // Puts the text on the clipboard; false when it could not.
        std::function<bool(const QString&)> copyText;
        // Creates the desktop's own shortcut (GNOME), after asking; absent where Stowline cannot.
        std::function<void()> createShortcut;
    };

    DesktopReadinessSection(const QList<DesktopReadiness::Row>& rows, Callbacks callbacks, QWidget* parent = nullptr);

    // The copy and create buttons, in row order.
    const QList<QPushButton*>& actionButtons() const { return m_buttons; }

private:
    void applyColours();

    Callbacks m_callbacks;
    QList<QLabel*> m_steps;
    QList<QPushButton*> m_buttons;
};

} // namespace stowline
