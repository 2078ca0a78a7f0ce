#include "app/platform/wayland/WaylandFrontmostApplication.h"

#include "app/platform/wayland/ToplevelTracker.h"
#include "app/platform/wayland/WaylandSession.h"

namespace stowline {

WaylandFrontmostApplication::WaylandFrontmostApplication(std::shared_ptr<WaylandSession> session)
    : m_session(std::move(session)) {}

std::optional<RunningApplication> WaylandFrontmostApplication::frontmost() const {
    const ToplevelTracker* toplevels = m_session->toplevels();
    const std::optional<ToplevelTracker::Window> window = toplevels ? toplevels->active() : std::nullopt;
    if (!window)
        return std::nullopt;
    RunningApplication application;
    application.window = window->id;
    application.processIdentifier = window->processIdentifier;
    if (!window->appId.isEmpty()) {
        application.bundleIdentifier = window->appId;
        if (const std::optional<DesktopApplication> entry = m_applications.byAppId(window->appId))
            application.localizedName = entry->name;
    }
    if (!application.localizedName && !window->title.isEmpty())
        application.localizedName = window->appId.isEmpty() ? window->title : window->appId;
    return application;
}

bool WaylandFrontmostApplication::activate(const RunningApplication& application) {
    if (isTerminated(application))
        return false;
    const quint64 id = application.window;
    m_session->postToToplevels([id](ToplevelTracker& toplevels) { toplevels.activate(id); });
    return true;
}

bool WaylandFrontmostApplication::isTerminated(const RunningApplication& application) const {
    const ToplevelTracker* toplevels = m_session->toplevels();
    return toplevels == nullptr || !toplevels->isOpen(application.window);
}

} // namespace stowline
