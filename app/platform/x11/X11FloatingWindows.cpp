#include "app/platform/x11/X11FloatingWindows.h"

#include <QWindow>

namespace stowline {

namespace {

constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr uint32_t kStateAdd = 1;
// The source indication of a pager or taskbar: a request the user made.
constexpr uint32_t kSourcePager = 2;

} // namespace

X11FloatingWindows::X11FloatingWindows(XcbConnection connection) : m_connection(std::move(connection)) {}

void X11FloatingWindows::sendToRoot(xcb_window_t window, const QByteArray& type, uint32_t d0, uint32_t d1,
                                    uint32_t d2) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_connection.atom(type);
    message.data.data32[0] = d0;
    message.data.data32[1] = d1;
    message.data.data32[2] = d2;
    xcb_send_event(m_connection.get(), 0, m_connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

void X11FloatingWindows::showOnAllWorkspaces(QWindow& window) {
    if (!m_connection.isValid())
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    // The property counts for a window manager that reads it when the window maps; the messages for one that
    // manages the window already.
    const uint32_t desktops = kAllDesktops;
    xcb_change_property(m_connection.get(), XCB_PROP_MODE_REPLACE, id, m_connection.atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &desktops);
    sendToRoot(id, "_NET_WM_DESKTOP", kAllDesktops, kSourcePager);
    sendToRoot(id, "_NET_WM_STATE", kStateAdd, m_connection.atom("_NET_WM_STATE_STICKY"), 0);
    xcb_flush(m_connection.get());
}

void X11FloatingWindows::activate(QWindow& window) {
    if (!m_connection.isValid())
        return;
    // Without a timestamp the request counts as current; the pager source makes it the user's.
    sendToRoot(static_cast<xcb_window_t>(window.winId()), "_NET_ACTIVE_WINDOW", kSourcePager, XCB_CURRENT_TIME,
               XCB_NONE);
    xcb_flush(m_connection.get());
}

bool X11FloatingWindows::hasKeyboardFocus(QWindow& window) const {
    if (!m_connection.isValid())
        return false;
    const XcbPointer<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection.get(), xcb_get_input_focus(m_connection.get()), nullptr));
    return reply && reply->focus == static_cast<xcb_window_t>(window.winId());
}

} // namespace stowline
