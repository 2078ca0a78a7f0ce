#include "app/platform/wayland/ToplevelTracker.h"

#include "app/platform/wayland/ForeignToplevelTracker.h"
#include "app/platform/wayland/PlasmaWindowTracker.h"
#include "app/platform/wayland/WaylandConnection.h"

namespace stowline {

std::unique_ptr<ToplevelTracker> ToplevelTracker::create(WaylandConnection& connection) {
    if (connection.capabilities().wlrForeignToplevel)
        return std::make_unique<ForeignToplevelTracker>(connection);
    if (connection.capabilities().plasmaWindowManagement)
        return std::make_unique<PlasmaWindowTracker>(connection);
    return nullptr;
}

std::optional<ToplevelTracker::Window> ToplevelTracker::active() const {
    const std::lock_guard lock(m_mutex);
    return m_active;
}

bool ToplevelTracker::isOpen(quint64 id) const {
    const std::lock_guard lock(m_mutex);
    return m_open.contains(id);
}

void ToplevelTracker::publishActive(std::optional<Window> window) {
    const std::lock_guard lock(m_mutex);
    m_active = std::move(window);
}

void ToplevelTracker::publishOpened(quint64 id) {
    const std::lock_guard lock(m_mutex);
    m_open.insert(id);
}

void ToplevelTracker::publishClosed(quint64 id) {
    const std::lock_guard lock(m_mutex);
    m_open.remove(id);
    if (m_active && m_active->id == id)
        m_active.reset();
}

} // namespace stowline
