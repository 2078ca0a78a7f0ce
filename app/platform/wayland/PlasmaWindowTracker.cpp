#include "app/platform/wayland/PlasmaWindowTracker.h"

#include "app/platform/wayland/WaylandConnection.h"

#include <wayland-client.h>
#include <wayland/plasma-window-management-client-protocol.h>

#include <algorithm>

namespace stowline {

namespace {

constexpr uint32_t kUuidVersion = ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION;

PlasmaWindowTracker* trackerOf(void* data) {
    return static_cast<PlasmaWindowTracker*>(data);
}

} // namespace

PlasmaWindowTracker::PlasmaWindowTracker(WaylandConnection& connection) : ToplevelTracker(connection) {
    m_management = static_cast<org_kde_plasma_window_management*>(
        connection.bind(&org_kde_plasma_window_management_interface, 16, &m_version));
    if (m_management == nullptr)
        return;
    // Newer compositors name windows by uuid; older ones by number only.
    static const org_kde_plasma_window_management_listener listener{
        .show_desktop_changed = [](void*, org_kde_plasma_window_management*, uint32_t) {},
        .window =
            [](void* data, org_kde_plasma_window_management* management, uint32_t id) {
                if (trackerOf(data)->m_version < kUuidVersion)
                    trackerOf(data)->track(org_kde_plasma_window_management_get_window(management, id));
            },
        .stacking_order_changed = [](void*, org_kde_plasma_window_management*, wl_array*) {},
        .stacking_order_uuid_changed = [](void*, org_kde_plasma_window_management*, const char*) {},
        .window_with_uuid =
            [](void* data, org_kde_plasma_window_management* management, uint32_t, const char* uuid) {
                trackerOf(data)->track(org_kde_plasma_window_management_get_window_by_uuid(management, uuid));
            },
    };
    org_kde_plasma_window_management_add_listener(m_management, &listener, this);
}

PlasmaWindowTracker::~PlasmaWindowTracker() {
    for (const auto& [window, state] : m_windows) {
        if (m_version >= ORG_KDE_PLASMA_WINDOW_DESTROY_SINCE_VERSION)
            org_kde_plasma_window_destroy(window);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(window));
    }
    if (m_management != nullptr)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_management));
}

void PlasmaWindowTracker::track(org_kde_plasma_window* window) {
    Window& state = m_windows[window];
    state.id = nextId();
    using W = org_kde_plasma_window;
    static const org_kde_plasma_window_listener listener{
        .title_changed =
            [](void* data, W* window, const char* title) {
                trackerOf(data)->m_windows[window].title = QString::fromUtf8(title);
                trackerOf(data)->propertyChanged(window);
            },
        .app_id_changed =
            [](void* data, W* window, const char* appId) {
                trackerOf(data)->m_windows[window].appId = QString::fromUtf8(appId);
                trackerOf(data)->propertyChanged(window);
            },
        .state_changed = [](void* data, W* window, uint32_t flags) { trackerOf(data)->stateChanged(window, flags); },
        .virtual_desktop_changed = [](void*, W*, int32_t) {},
        .themed_icon_name_changed = [](void*, W*, const char*) {},
        .unmapped = [](void* data, W* window) { trackerOf(data)->unmapped(window); },
        .initial_state = [](void*, W*) {},
        .parent_window = [](void*, W*, W*) {},
        .geometry = [](void*, W*, int32_t, int32_t, uint32_t, uint32_t) {},
        .icon_changed = [](void*, W*) {},
        .pid_changed =
            [](void* data, W* window, uint32_t pid) {
                trackerOf(data)->m_windows[window].processIdentifier = pid;
                trackerOf(data)->propertyChanged(window);
            },
        .virtual_desktop_entered = [](void*, W*, const char*) {},
        .virtual_desktop_left = [](void*, W*, const char*) {},
        .application_menu = [](void*, W*, const char*, const char*) {},
        .activity_entered = [](void*, W*, const char*) {},
        .activity_left = [](void*, W*, const char*) {},
        .resource_name_changed = [](void*, W*, const char*) {},
    };
    org_kde_plasma_window_add_listener(window, &listener, this);
    publishOpened(state.id);
}

void PlasmaWindowTracker::stateChanged(org_kde_plasma_window* window, uint32_t flags) {
    if ((flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0) {
        m_active = window;
        publishActive(m_windows[window]);
    } else if (m_active == window) {
        m_active = nullptr;
        publishActive(std::nullopt);
    }
}

void PlasmaWindowTracker::propertyChanged(org_kde_plasma_window* window) {
    // The app id and pid may follow the state that made the window active.
    if (m_active == window)
        publishActive(m_windows[window]);
}

void PlasmaWindowTracker::unmapped(org_kde_plasma_window* window) {
    const auto found = m_windows.find(window);
    if (found == m_windows.end())
        return;
    if (m_active == window)
        m_active = nullptr;
    publishClosed(found->second.id);
    m_windows.erase(found);
    if (m_version >= ORG_KDE_PLASMA_WINDOW_DESTROY_SINCE_VERSION)
        org_kde_plasma_window_destroy(window);
    else
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(window));
}

bool PlasmaWindowTracker::activate(quint64 id) {
    const auto found =
        std::find_if(m_windows.begin(), m_windows.end(), [id](const auto& entry) { return entry.second.id == id; });
    if (found == m_windows.end())
        return false;
    org_kde_plasma_window_set_state(found->first, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
    return true;
}

} // namespace stowline
