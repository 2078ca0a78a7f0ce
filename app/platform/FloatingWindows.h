#pragma once

#include <QString>

class QWindow;

namespace stowline {

// What the desktop does for the application's floating windows beyond the toolkit: keeping one on every
// workspace and handing it the keyboard although another application is in front. GUI thread only.
class FloatingWindows {
public:
    virtual ~FloatingWindows() = default;

    // Call after the window is shown: it stays on every workspace.
    virtual void showOnAllWorkspaces(QWindow& window) = 0;
    // Asks the window manager, as for a user's request, to make the window active and give it the keyboard;
    // window managers that prevent focus stealing honour this.
    virtual void activate(QWindow& window) = 0;
    // Whether the window holds the keyboard focus now, as the display server says.
    virtual bool hasKeyboardFocus(QWindow& window) const = 0;
    // The display server's consent, handed on by the process the user started (XDG_ACTIVATION_TOKEN), for the next
    // activation; ignored where activation needs none.
    virtual void useActivationToken(const QString& token) = 0;
};

} // namespace stowline
