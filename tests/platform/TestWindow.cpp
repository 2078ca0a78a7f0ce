#include "tests/platform/TestWindow.h"

#include "tests/platform/XClients.h"

#include <QString>

#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace stowline::test {

TestWindow::TestWindow(const Properties& properties) : m_connection(xcb_connect(nullptr, nullptr)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 100, 100, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    if (!properties.wmInstance.isEmpty() || !properties.wmClass.isEmpty())
        setProperty("WM_CLASS", XCB_ATOM_STRING, 8, properties.wmInstance + '\0' + properties.wmClass + '\0');
    if (!properties.gtkApplicationId.isEmpty())
        setProperty("_GTK_APPLICATION_ID", XCB_ATOM_STRING, 8, properties.gtkApplicationId);
    if (!properties.kdeDesktopFile.isEmpty())
        setProperty("_KDE_NET_WM_DESKTOP_FILE", XCB_ATOM_STRING, 8, properties.kdeDesktopFile);
    if (properties.pid) {
        const quint32 pid = *properties.pid;
        setProperty("_NET_WM_PID", XCB_ATOM_CARDINAL, 32, QByteArray(reinterpret_cast<const char*>(&pid), 4));
    }
    if (properties.mapped)
        xcb_map_window(m_connection, m_window);
    xcb_flush(m_connection);
}

TestWindow::~TestWindow() {
    destroy();
    xcb_disconnect(m_connection);
}

void TestWindow::setProperty(const char* name, xcb_atom_t type, uint8_t format, const QByteArray& value) {
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, atom->atom, type, format,
                        static_cast<uint32_t>(value.size() / (format / 8)), value.constData());
    std::free(atom);
}

bool TestWindow::activate() const {
    return runClient(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, QString::number(m_window)}).exitCode == 0;
}

void TestWindow::claimActiveWindowProperty() const {
    static constexpr char name[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32, 1, &m_window);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    std::free(atom);
}

void TestWindow::destroy() {
    if (m_window == XCB_NONE)
        return;
    xcb_destroy_window(m_connection, m_window);
    xcb_flush(m_connection);
    // A round trip makes sure the server has destroyed it before the caller looks.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    m_window = XCB_NONE;
}

} // namespace stowline::test
