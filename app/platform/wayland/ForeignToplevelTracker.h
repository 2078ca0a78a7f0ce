#pragma once

#include "app/platform/wayland/ToplevelTracker.h"

#include <map>

struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

namespace stowline {

// wlroots' foreign-toplevel management (Sway, Hyprland, labwc, river, niri, …). A handle's properties take effect
// at its `done`: the active window is the one whose last completed state holds `activated`.
class ForeignToplevelTracker final : public ToplevelTracker {
public:
    explicit ForeignToplevelTracker(WaylandConnection& connection);
    ~ForeignToplevelTracker() override;

    bool activate(quint64 id) override;

private:
    struct Handle {
        Window current;
        Window pending;
        bool pendingActivated = false;
    };
    static void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle);
    static void onFinished(void* data, zwlr_foreign_toplevel_manager_v1*);
    void handleDone(zwlr_foreign_toplevel_handle_v1* handle);
    void handleClosed(zwlr_foreign_toplevel_handle_v1* handle);

    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, Handle> m_handles;
    zwlr_foreign_toplevel_handle_v1* m_active = nullptr;
};

} // namespace stowline
