#pragma once

#include "app/platform/FloatingWindows.h"
#include "app/platform/x11/XcbConnection.h"

namespace stowline {

// EWMH requests to the window manager: _NET_WM_DESKTOP for every workspace (with the sticky state), and
// _NET_ACTIVE_WINDOW with the source of a pager, which window managers with focus-stealing prevention
// (openbox, xfwm4, mutter) grant without comparing user times: a global shortcut's key press goes to our grab,
// so the toolkit's own idea of the last user time is older than the window in front.
class X11FloatingWindows final : public FloatingWindows {
public:
    explicit X11FloatingWindows(XcbConnection connection = XcbConnection::ofApplication());

    void showOnAllWorkspaces(QWindow& window) override;
    void activate(QWindow& window) override;
    bool hasKeyboardFocus(QWindow& window) const override;
    // The pager source needs no token.
    void useActivationToken(const QString&) override {}

private:
    void sendToRoot(xcb_window_t window, const QByteArray& type, uint32_t d0, uint32_t d1, uint32_t d2 = 0);

    XcbConnection m_connection;
};

} // namespace stowline
