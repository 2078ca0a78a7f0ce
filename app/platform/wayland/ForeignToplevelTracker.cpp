#include "app/platform/wayland/ForeignToplevelTracker.h"

#include "app/platform/wayland/WaylandConnection.h"

#include <wayland-client.h>
#include <wayland/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include <algorithm>

namespace stowline {

namespace {

ForeignToplevelTracker* trackerOf(void* data) {
    return static_cast<ForeignToplevelTracker*>(data);
}

} // namespace

ForeignToplevelTracker::ForeignToplevelTracker(WaylandConnection& connection) : ToplevelTracker(connection) {
    m_manager =
        static_cast<zwlr_foreign_toplevel_manager_v1*>(connection.bind(&zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (m_manager == nullptr)
        return;
    static const zwlr_foreign_toplevel_manager_v1_listener listener{&onToplevel, &onFinished};
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &listener, this);
}

ForeignToplevelTracker::~ForeignToplevelTracker() {
    for (const auto& [handle, state] : m_handles)
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_manager != nullptr)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
}

void ForeignToplevelTracker::onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                        zwlr_foreign_toplevel_handle_v1* handle) {
    ForeignToplevelTracker* self = trackerOf(data);
    Handle& state = self->m_handles[handle];
    state.current.id = state.pending.id = self->nextId();
    static const zwlr_foreign_toplevel_handle_v1_listener listener{
        .title = [](void* data, zwlr_foreign_toplevel_handle_v1* handle,
                    const char* title) { trackerOf(data)->m_handles[handle].pending.title = QString::fromUtf8(title); },
        .app_id =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId) {
                trackerOf(data)->m_handles[handle].pending.appId = QString::fromUtf8(appId);
            },
        .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .state =
            [](void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
                const auto* begin = static_cast<const uint32_t*>(states->data);
                const auto* end = begin + states->size / sizeof(uint32_t);
                trackerOf(data)->m_handles[handle].pendingActivated =
                    std::find(begin, end, uint32_t(ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)) != end;
            },
        .done = [](void* data, zwlr_foreign_toplevel_handle_v1* handle) { trackerOf(data)->handleDone(handle); },
        .closed = [](void* data, zwlr_foreign_toplevel_handle_v1* handle) { trackerOf(data)->handleClosed(handle); },
        .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
    };
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
    self->publishOpened(state.current.id);
}

void ForeignToplevelTracker::onFinished(void* data, zwlr_foreign_toplevel_manager_v1*) {
    ForeignToplevelTracker* self = trackerOf(data);
    zwlr_foreign_toplevel_manager_v1_destroy(self->m_manager);
    self->m_manager = nullptr;
}

void ForeignToplevelTracker::handleDone(zwlr_foreign_toplevel_handle_v1* handle) {
    Handle& state = m_handles[handle];
    state.current = state.pending;
    if (state.pendingActivated) {
        m_active = handle;
        publishActive(state.current);
    } else if (m_active == handle) {
        m_active = nullptr;
        publishActive(std::nullopt);
    }
}

void ForeignToplevelTracker::handleClosed(zwlr_foreign_toplevel_handle_v1* handle) {
    const auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return;
    if (m_active == handle)
        m_active = nullptr;
    publishClosed(found->second.current.id);
    m_handles.erase(found);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
}

bool ForeignToplevelTracker::activate(quint64 id) {
    const auto found = std::find_if(m_handles.begin(), m_handles.end(),
                                    [id](const auto& entry) { return entry.second.current.id == id; });
    if (found == m_handles.end() || m_connection.seat() == nullptr)
        return false;
    zwlr_foreign_toplevel_handle_v1_activate(found->first, m_connection.seat());
    return true;
}

} // namespace stowline
