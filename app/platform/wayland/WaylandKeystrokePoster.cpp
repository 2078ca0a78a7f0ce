#include "app/platform/wayland/WaylandKeystrokePoster.h"

#include "app/platform/wayland/SyntheticKeyboard.h"
#include "app/platform/wayland/ToplevelTracker.h"
#include "app/platform/wayland/WaylandSession.h"

#include <QCoreApplication>

namespace stowline {

WaylandKeystrokePoster::WaylandKeystrokePoster(std::shared_ptr<WaylandSession> session)
    : m_session(std::move(session)) {}

bool WaylandKeystrokePoster::isAvailable() const {
    return m_session->canType() && !m_session->isLost();
}

bool WaylandKeystrokePoster::postPasteKeystroke(PasteTarget target) {
    if (target.window != 0)
        return postPasteKeystrokeInto(target.window, std::move(target.refused));
    if (!isAvailable())
        return false;
    if (target.refused)
        target.refused();
    return true;
}

bool WaylandKeystrokePoster::postPasteKeystrokeInto(quint64 window, std::function<void()> refused) {
    if (!isAvailable())
        return false;
    std::weak_ptr<int> alive = m_alive;
    m_session->postToKeyboard(
        [window, refused = std::move(refused), alive](SyntheticKeyboard& keyboard, const ToplevelTracker* toplevels) {
            const std::optional<ToplevelTracker::Window> active = toplevels ? toplevels->active() : std::nullopt;
            if (window == 0 || (active && active->id == window)) {
                keyboard.typePaste();
                return;
            }
            // Typed anyway, the clip would land in whatever window took the focus meanwhile.
            if (refused) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [refused, alive] {
                        if (alive.lock())
                            refused();
                    },
                    Qt::QueuedConnection);
            }
        });
    return true;
}

} // namespace stowline
