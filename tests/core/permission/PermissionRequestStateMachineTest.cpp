#include "core/permission/PermissionRequestStateMachine.h"

#include <gtest/gtest.h>

#include <functional>

using namespace stowline;

namespace {
using Phase = PermissionRequestPhase;
using Effect = PermissionRequestEffect;

constexpr Phase allPhases[] = {Phase::idle, Phase::presented, Phase::awaitingSystem, Phase::granted, Phase::declined};

// Drives a fresh machine into `phase` through its public operations only.
PermissionRequestStateMachine machineIn(Phase phase) {
    PermissionRequestStateMachine machine;
    switch (phase) {
    case Phase::idle:
        break;
    case Phase::presented:
        (void)machine.present(false);
        break;
    case Phase::awaitingSystem:
        (void)machine.present(false);
        machine.beginSystemRequest();
        break;
    case Phase::granted:
        (void)machine.present(true);
        break;
    case Phase::declined:
        (void)machine.present(false);
        (void)machine.declineExplicitly();
        break;
    }
    EXPECT_EQ(machine.phase(), phase);
    return machine;
}

struct Operation {
    const char* name;
    std::function<Effect(PermissionRequestStateMachine&)> run;
};

const Operation operations[] = {
    {"present(true)", [](auto& m) { return m.present(true); }},
    {"present(false)", [](auto& m) { return m.present(false); }},
    {"beginSystemRequest",
     [](auto& m) {
         m.beginSystemRequest();
         return Effect::none;
     }},
    {"observeTrust(true)", [](auto& m) { return m.observeTrust(true); }},
    {"observeTrust(false)", [](auto& m) { return m.observeTrust(false); }},
    {"declineExplicitly", [](auto& m) { return m.declineExplicitly(); }},
    {"reset",
     [](auto& m) {
         m.reset();
         return Effect::none;
     }},
};

std::pair<Phase, Effect> expectedStep(const std::string& operation, Phase from) {
    const bool open = from == Phase::presented || from == Phase::awaitingSystem;
    if (operation == "present(true)")
        return {Phase::granted, Effect::commit};
    if (operation == "present(false)")
        return {Phase::presented, Effect::none};
    if (operation == "beginSystemRequest")
        return {open ? Phase::awaitingSystem : from, Effect::none};
    if (operation == "observeTrust(true)")
        return open ? std::pair{Phase::granted, Effect::commit} : std::pair{from, Effect::none};
    if (operation == "declineExplicitly")
        return open ? std::pair{Phase::declined, Effect::rollback} : std::pair{from, Effect::none};
    if (operation == "reset")
        return {Phase::idle, Effect::none};
    return {from, Effect::none}; // observeTrust(false)
}
} // namespace

TEST(PermissionRequestStateMachine, EveryOperationFromEveryPhase) {
    EXPECT_EQ(PermissionRequestStateMachine().phase(), Phase::idle);
    for (Phase from : allPhases) {
        for (const Operation& operation : operations) {
            SCOPED_TRACE(testing::Message() << operation.name << " from phase " << int(from));
            PermissionRequestStateMachine machine = machineIn(from);
            const Effect effect = operation.run(machine);
            const auto [phase, expectedEffect] = expectedStep(operation.name, from);
            EXPECT_EQ(machine.phase(), phase);
            EXPECT_EQ(effect, expectedEffect);
        }
    }
}
