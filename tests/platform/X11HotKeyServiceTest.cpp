#include "app/platform/x11/X11HotKeyService.h"

#include "tests/platform/XClients.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

constexpr quint16 kControlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr HotKey kControlAltK{0x006b, kControlAlt};
constexpr HotKey kControlAltJ{0x006a, kControlAlt};

class Presses {
public:
    explicit Presses(HotKeyService& service) {
        QObject::connect(&service, &HotKeyService::pressed, &service, [this](const HotKey& key) { m_keys << key; });
    }
    qsizetype count(const HotKey& key) const { return m_keys.count(key); }

private:
    QList<HotKey> m_keys;
};

} // namespace

TEST(X11HotKeyService, DeliversARegisteredCombinationWhateverTheLocks) {
    X11HotKeyService service;
    Presses presses(service);
    ASSERT_TRUE(service.registerKey(kControlAltK));
    EXPECT_TRUE(service.isRegistered(kControlAltK));
    EXPECT_TRUE(service.registerKey(kControlAltK));

    typeKeys(u"ctrl+alt+k"_s);
    EXPECT_TRUE(waitUntil([&] { return presses.count(kControlAltK) == 1; }));

    // With Num Lock on, the state carries Mod2 and the variant grab must still catch it.
    typeKeys(u"Num_Lock"_s);
    typeKeys(u"ctrl+alt+k"_s);
    typeKeys(u"Num_Lock"_s);
    EXPECT_TRUE(waitUntil([&] { return presses.count(kControlAltK) == 2; }));

    // Another modifier set is a different combination. Key events arrive in order, so once a later press is in,
    // these would have been too.
    typeKeys(u"ctrl+alt+shift+k"_s);
    typeKeys(u"ctrl+k"_s);
    typeKeys(u"ctrl+alt+k"_s);
    EXPECT_TRUE(waitUntil([&] { return presses.count(kControlAltK) >= 3; }));
    EXPECT_EQ(presses.count(kControlAltK), 3);
}

TEST(X11HotKeyService, ReportsACombinationAnotherClientHoldsAsTaken) {
    X11HotKeyService service;
    Presses presses(service);
    ASSERT_TRUE(service.registerKey(kControlAltK));

    OtherXClient other;
    ASSERT_TRUE(other.grab(kControlAltJ));
    EXPECT_FALSE(service.registerKey(kControlAltJ));
    EXPECT_FALSE(service.isRegistered(kControlAltJ));

    // The refused registration left the earlier one working.
    typeKeys(u"ctrl+alt+k"_s);
    EXPECT_TRUE(waitUntil([&] { return presses.count(kControlAltK) == 1; }));
    EXPECT_EQ(presses.count(kControlAltJ), 0);
}

TEST(X11HotKeyService, UnregisteringReleasesTheGrab) {
    X11HotKeyService service;
    Presses presses(service);
    ASSERT_TRUE(service.registerKey(kControlAltK));
    OtherXClient other;
    EXPECT_FALSE(other.grab(kControlAltK));

    service.unregisterKey(kControlAltK);
    EXPECT_FALSE(service.isRegistered(kControlAltK));
    ASSERT_TRUE(service.registerKey(kControlAltJ));
    typeKeys(u"ctrl+alt+k"_s);
    typeKeys(u"ctrl+alt+j"_s);
    EXPECT_TRUE(waitUntil([&] { return presses.count(kControlAltJ) == 1; }));
    EXPECT_EQ(presses.count(kControlAltK), 0);
    EXPECT_TRUE(other.grab(kControlAltK));
}

TEST(X11HotKeyService, RefusesKeysTheKeyboardCannotType) {
    X11HotKeyService service;
    EXPECT_FALSE(service.registerKey({0x10fffff, kControlAlt}));
    EXPECT_FALSE(service.registerKey({0x006b, 0x8000}));
}
