#pragma once

#include "app/platform/wayland/ToplevelTracker.h"

#include <map>

struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

namespace stowline {

// KDE's window management (KWin), granted only to a client whose desktop entry asks for it. A window's state
// changes take effect as they arrive.
class PlasmaWindowTracker final : public ToplevelTracker {
public:
    explicit PlasmaWindowTracker(WaylandConnection& connection);
    ~PlasmaWindowTracker() override;

    bool activate(quint64 id) override;

private:
    void track(org_kde_plasma_window* window);
    void stateChanged(org_kde_plasma_window* window, uint32_t flags);
    void propertyChanged(org_kde_plasma_window* window);
    void unmapped(org_kde_plasma_window* window);

    org_kde_plasma_window_management* m_management = nullptr;
    uint32_t m_version = 0;
    std::map<org_kde_plasma_window*, Window> m_windows;
    org_kde_plasma_window* m_active = nullptr;
};

} // namespace stowline
