#include "core/permission/PermissionRequestStateMachine.h"

namespace stowline {

bool PermissionRequestStateMachine::isOpen() const {
    return m_phase == PermissionRequestPhase::presented || m_phase == PermissionRequestPhase::awaitingSystem;
}

PermissionRequestEffect PermissionRequestStateMachine::present(bool alreadyGranted) {
    if (alreadyGranted) {
        m_phase = PermissionRequestPhase::granted;
        return PermissionRequestEffect::commit;
    }
    m_phase = PermissionRequestPhase::presented;
    return PermissionRequestEffect::none;
}

void PermissionRequestStateMachine::beginSystemRequest() {
    if (isOpen())
        m_phase = PermissionRequestPhase::awaitingSystem;
}

PermissionRequestEffect PermissionRequestStateMachine::observeTrust(bool trusted) {
    if (!trusted || !isOpen())
        return PermissionRequestEffect::none;
    m_phase = PermissionRequestPhase::granted;
    return PermissionRequestEffect::commit;
}

PermissionRequestEffect PermissionRequestStateMachine::declineExplicitly() {
    if (!isOpen())
        return PermissionRequestEffect::none;
    m_phase = PermissionRequestPhase::declined;
    return PermissionRequestEffect::rollback;
}

void PermissionRequestStateMachine::reset() {
    m_phase = PermissionRequestPhase::idle;
}

} // namespace stowline
