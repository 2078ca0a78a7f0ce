#pragma once

#include "app/platform/FrontmostApplication.h"
#include "app/platform/x11/XcbConnection.h"
#include "app/platform/xdg/DesktopApplications.h"

namespace stowline {

// The application of the EWMH active window. Its identifier is the desktop entry id (from _GTK_APPLICATION_ID,
// _KDE_NET_WM_DESKTOP_FILE, or the entry whose StartupWMClass or file name matches WM_CLASS), falling back to the
// WM_CLASS instance; its name is the entry's Name, falling back to the WM_CLASS class and then the process name of
// _NET_WM_PID.
class X11FrontmostApplication final : public FrontmostApplication {
public:
    explicit X11FrontmostApplication(XcbConnection connection = XcbConnection::ofApplication());

    std::optional<RunningApplication> frontmost() const override;
    bool activate(const RunningApplication& application) override;
    bool isTerminated(const RunningApplication& application) const override;

private:
    XcbConnection m_connection;
    DesktopApplications m_applications;
};

} // namespace stowline
