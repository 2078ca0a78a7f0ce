#pragma once

namespace stowline::DisplayServer {

// True when the application talks to an X server (X11 or XWayland), where the clipboard, global shortcuts and
// synthetic keystrokes of this platform layer work.
bool isX11();

} // namespace stowline::DisplayServer
