#pragma once

namespace stowline {

enum class PermissionRequestPhase { idle, presented, awaitingSystem, granted, declined };

// What the caller is to do after a step: nothing, make the waiting choice live, or undo it.
enum class PermissionRequestEffect { none, commit, rollback };

// Where one request for the accessibility permission stands. `granted` and `declined` are final until `reset`.
class PermissionRequestStateMachine {
public:
    PermissionRequestPhase phase() const { return m_phase; }

    PermissionRequestEffect present(bool alreadyGranted);
    void beginSystemRequest();
    PermissionRequestEffect observeTrust(bool trusted);
    PermissionRequestEffect declineExplicitly();
    void reset();

private:
    bool isOpen() const;

    PermissionRequestPhase m_phase = PermissionRequestPhase::idle;
};

} // namespace stowline
