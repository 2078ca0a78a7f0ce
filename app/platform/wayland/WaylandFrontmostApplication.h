#pragma once

#include "app/platform/FrontmostApplication.h"
#include "app/platform/xdg/DesktopApplications.h"

#include <memory>

namespace stowline {

class WaylandSession;

// The active toplevel as the compositor's window-management protocol reports it. Without such a protocol (GNOME)
// no application is known to be in front.
class WaylandFrontmostApplication final : public FrontmostApplication {
public:
    explicit WaylandFrontmostApplication(std::shared_ptr<WaylandSession> session);

    std::optional<RunningApplication> frontmost() const override;
    bool activate(const RunningApplication& application) override;
    bool isTerminated(const RunningApplication& application) const override;

private:
    std::shared_ptr<WaylandSession> m_session;
    DesktopApplications m_applications;
};

} // namespace stowline
