#include "app/platform/wayland/WaylandCapabilities.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace stowline {

void WaylandCapabilities::noteGlobal(const QString& interface) {
    const std::pair<QLatin1StringView, bool WaylandCapabilities::*> known[] = {
        {"ext_data_control_manager_v1"_L1, &WaylandCapabilities::extDataControl},
        {"zwlr_data_control_manager_v1"_L1, &WaylandCapabilities::wlrDataControl},
        {"zwlr_foreign_toplevel_manager_v1"_L1, &WaylandCapabilities::wlrForeignToplevel},
        {"org_kde_plasma_window_management"_L1, &WaylandCapabilities::plasmaWindowManagement},
        {"org_kde_kwin_fake_input"_L1, &WaylandCapabilities::fakeInput},
        {"zwp_virtual_keyboard_manager_v1"_L1, &WaylandCapabilities::virtualKeyboard},
        {"xdg_activation_v1"_L1, &WaylandCapabilities::xdgActivation},
    };
    for (const auto& [name, member] : known) {
        if (interface == name)
            this->*member = true;
    }
}

QString WaylandCapabilities::report() const {
    const auto line = [](QLatin1StringView key, bool value) -> QString {
        return key + (value ? "=1\n"_L1 : "=0\n"_L1);
    };
    return line("waylandExtDataControl"_L1, extDataControl) + line("waylandWlrDataControl"_L1, wlrDataControl) +
           line("waylandForeignToplevel"_L1, wlrForeignToplevel) +
           line("waylandPlasmaWindowManagement"_L1, plasmaWindowManagement) + line("waylandFakeInput"_L1, fakeInput) +
           line("waylandVirtualKeyboard"_L1, virtualKeyboard) + line("waylandXdgActivation"_L1, xdgActivation);
}

} // namespace stowline
