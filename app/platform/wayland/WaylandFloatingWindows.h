#pragma once

#include "app/platform/FloatingWindows.h"

#include <QByteArray>

namespace stowline {

// Floating windows as native Wayland toplevels. The compositor alone places windows on workspaces and decides
// about the focus; what it asks for is an xdg-activation token, which the toolkit hands over with the window's
// activation request when XDG_ACTIVATION_TOKEN holds one (and then clears it).
class WaylandFloatingWindows final : public FloatingWindows {
public:
    // xdg-shell has no request for it: where the window shows is the compositor's choice.
    void showOnAllWorkspaces(QWindow& window) override;
    void activate(QWindow& window) override;
    // The toolkit follows the seat's keyboard enter and leave events, which are exact on Wayland.
    bool hasKeyboardFocus(QWindow& window) const override;
    void useActivationToken(const QString& token) override;

private:
    QByteArray m_token;
};

} // namespace stowline
