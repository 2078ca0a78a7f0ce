#include "app/platform/wayland/WaylandFloatingWindows.h"

#include <QGuiApplication>
#include <QWindow>

namespace stowline {

void WaylandFloatingWindows::showOnAllWorkspaces(QWindow&) {}

void WaylandFloatingWindows::activate(QWindow& window) {
    // Set only now: the toolkit takes the variable for its next activation request and clears it, and a token is
    // good for one activation.
    if (!m_token.isEmpty()) {
        qputenv("XDG_ACTIVATION_TOKEN", m_token);
        m_token.clear();
    }
    window.requestActivate();
}

bool WaylandFloatingWindows::hasKeyboardFocus(QWindow& window) const {
    return QGuiApplication::focusWindow() == &window;
}

void WaylandFloatingWindows::useActivationToken(const QString& token) {
    m_token = token.toUtf8();
}

} // namespace stowline
