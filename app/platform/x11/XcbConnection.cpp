#include "app/platform/x11/XcbConnection.h"

#include <QGuiApplication>

namespace stowline {

XcbConnection::XcbConnection(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection), m_root(root) {}

XcbConnection XcbConnection::ofApplication() {
    const auto* x11 = qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return {nullptr, XCB_NONE};
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return {connection, screens.rem > 0 ? screens.data->root : xcb_window_t{XCB_NONE}};
}

xcb_atom_t XcbConnection::atom(const QByteArray& name) const {
    if (const auto found = m_atoms.constFind(name); found != m_atoms.cend())
        return found.value();
    const XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (atom != XCB_ATOM_NONE)
        m_atoms.insert(name, atom);
    return atom;
}

} // namespace stowline
