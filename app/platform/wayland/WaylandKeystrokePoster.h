#pragma once

#include "app/platform/KeystrokePoster.h"

#include <QtGlobal>

#include <functional>
#include <memory>

namespace stowline {

class WaylandSession;

// Ctrl+V on a keyboard of Stowline's own that the compositor offers (the wlroots virtual keyboard or KDE's fake
// input). Whether the window the paste is meant for is the active one is asked on the connection's worker right
// before the keys go out, from the window tracker's latest state, since the focus may move until then.
class WaylandKeystrokePoster final : public KeystrokePoster {
public:
    explicit WaylandKeystrokePoster(std::shared_ptr<WaylandSession> session);

    bool isAvailable() const override;
    // Never into an unknown window (0): that is refused at once, as on X11.
    bool postPasteKeystroke(PasteTarget target) override;
    // Into `window` (as `RunningApplication::window` names it) only while it is the active one; otherwise nothing
    // is typed and `refused` runs on the GUI thread. With 0, into whatever is active. False when nothing can be
    // typed at all.
    bool postPasteKeystrokeInto(quint64 window, std::function<void()> refused);

private:
    std::shared_ptr<WaylandSession> m_session;
    // Refusals that arrive after the poster is gone are dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace stowline
