#pragma once

class QWindow;

namespace stowline::X11WindowHints {

// Keeps one of the application's windows on every workspace (EWMH sticky). Works before and after the window
// is mapped; does nothing without an X server.
void showOnAllWorkspaces(QWindow* window);

} // namespace stowline::X11WindowHints
