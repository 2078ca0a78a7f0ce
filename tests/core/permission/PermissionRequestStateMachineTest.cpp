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
    if (phase != Phase::idle)
        (void)machine.present(phase == Phase::granted);
    if (phase == Phase::awaitingSystem)
        machine.beginSystemRequest();
    if (phase == Phase::declined)
        (void)machine.declineExplicitly();
    EXPECT_EQ(machine.phase(), phase);
    return machine;
}

struct Step {
    Phase phase;
    Effect effect = Effect::none;
};

// One operation and where it leads from each phase, in the order of `allPhases`.
struct Row {
    const char* name;
    std::function<Effect(PermissionRequestStateMachine&)> run;
    Step from[5];
};

constexpr Step idle{Phase::idle}, presented{Phase::presented}, awaiting{Phase::awaitingSystem}, granted{Phase::granted},
    declined{Phase::declined};
constexpr Step commit{Phase::granted, Effect::commit}, rollback{Phase::declined, Effect::rollback};

const Row transitions[] = {
    {"present(true)", [](auto& m) { return m.present(true); }, {commit, commit, commit, commit, commit}},
    {"present(false)",
     [](auto& m) { return m.present(false); },
     {presented, presented, presented, presented, presented}},
    {"beginSystemRequest",
     [](auto& m) {
         m.beginSystemRequest();
         return Effect::none;
     },
     {idle, awaiting, awaiting, granted, declined}},
    {"observeTrust(true)", [](auto& m) { return m.observeTrust(true); }, {idle, commit, commit, granted, declined}},
    {"observeTrust(false)",
     [](auto& m) { return m.observeTrust(false); },
     {idle, presented, awaiting, granted, declined}},
    {"declineExplicitly", [](auto& m) { return m.declineExplicitly(); }, {idle, rollback, rollback, granted, declined}},
    {"reset",
     [](auto& m) {
         m.reset();
         return Effect::none;
     },
     {idle, idle, idle, idle, idle}},
};
} // namespace

TEST(PermissionRequestStateMachine, EveryOperationFromEveryPhase) {
    EXPECT_EQ(PermissionRequestStateMachine().phase(), Phase::idle);
    for (const Row& row : transitions) {
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(testing::Message() << row.name << " from phase " << i);
            PermissionRequestStateMachine machine = machineIn(allPhases[i]);
            EXPECT_EQ(row.run(machine), row.from[i].effect);
            EXPECT_EQ(machine.phase(), row.from[i].phase);
        }
    }
}
