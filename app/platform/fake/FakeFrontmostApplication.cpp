#include "app/platform/fake/FakeFrontmostApplication.h"

namespace stowline {

bool FakeFrontmostApplication::activate(const RunningApplication& application) {
    if (isTerminated(application))
        return false;
    m_activations.append(application);
    m_frontmost = application;
    return true;
}

bool FakeFrontmostApplication::isTerminated(const RunningApplication& application) const {
    return m_terminated.contains(application.window);
}

} // namespace stowline
