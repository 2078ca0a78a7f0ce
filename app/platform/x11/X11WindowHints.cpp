#include "app/platform/x11/X11WindowHints.h"

#include "app/platform/x11/XcbConnection.h"

#include <QWindow>

namespace stowline::X11WindowHints {

namespace {

constexpr uint32_t allDesktops = 0xFFFFFFFF;

void sendToRoot(const XcbConnection& connection, xcb_window_t window, const QByteArray& type,
                std::initializer_list<uint32_t> data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = connection.atom(type);
    int index = 0;
    for (const uint32_t value : data)
        message.data.data32[index++] = value;
    xcb_send_event(connection.get(), 0, connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

} // namespace

void showOnAllWorkspaces(QWindow* window) {
    const XcbConnection connection = XcbConnection::ofApplication();
    if (!window || !connection.isValid())
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    // Read by the window manager when the window is mapped...
    xcb_change_property(connection.get(), XCB_PROP_MODE_REPLACE, id, connection.atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    // ...and asked for directly while it is: source 1 is a normal application.
    if (window->isVisible()) {
        sendToRoot(connection, id, "_NET_WM_DESKTOP", {allDesktops, 1});
        sendToRoot(connection, id, "_NET_WM_STATE", {1, connection.atom("_NET_WM_STATE_STICKY"), 0, 1});
    }
    xcb_flush(connection.get());
}

} // namespace stowline::X11WindowHints
