#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

#include <optional>

namespace stowline::test {

// A top-level window of another X client (its own connection), with the identifying properties a test chooses.
class TestWindow {
public:
    struct Properties {
        QByteArray wmInstance;
        QByteArray wmClass;
        QByteArray gtkApplicationId;
        QByteArray kdeDesktopFile;
        std::optional<quint32> pid;
        bool mapped = true;
    };

    explicit TestWindow(const Properties& properties);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    xcb_window_t id() const { return m_window; }
    // Asks the window manager to focus the window and waits until it is active.
    bool activate() const;
    void destroy();
    // Writes the root window's active-window property as a window manager would, naming this window.
    void claimActiveWindowProperty() const;

private:
    void setProperty(const char* name, xcb_atom_t type, uint8_t format, const QByteArray& value);

    xcb_connection_t* m_connection;
    xcb_window_t m_window = XCB_NONE;
};

} // namespace stowline::test
