#pragma once

#include <QByteArray>
#include <QHash>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace stowline {

struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};

// Replies, errors and events from xcb are malloc'ed and owned by the caller.
template <typename T>
using XcbPointer = std::unique_ptr<T, XcbFree>;

// The X connection Qt opened for the application, with its first screen's root window and interned atoms.
// Sharing Qt's connection keeps requests and events in one stream, so Qt's event dispatch sees our grabs.
class XcbConnection {
public:
    // Null members when the application does not run on X11.
    static XcbConnection ofApplication();

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    xcb_atom_t atom(const QByteArray& name) const;

private:
    XcbConnection(xcb_connection_t* connection, xcb_window_t root);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    mutable QHash<QByteArray, xcb_atom_t> m_atoms;
};

} // namespace stowline
