#include "app/shortcut/GlobalHotKey.h"

#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

constexpr quint16 xShift = 0x1;
constexpr quint16 xControl = 0x4;
constexpr quint16 xAlt = 0x8;
constexpr quint16 xSuper = 0x40;

const HotKey altShiftW{'w', xAlt | xShift};
const HotKey shiftSuperV{'v', xShift | xSuper};

// Alt+U: one modifier, the path that needs the accessibility stand-in.
HotKeyConfiguration altU() {
    return {32, HotKeyConfiguration::optionKey, u"Alt+U"_s};
}

class GlobalHotKeyTest : public ::testing::Test {
protected:
    FakeHotKeyService service;
    FakeKeystrokePoster accessibility;
    int actions = 0;
    GlobalHotKey hotKey{service, accessibility, [this] { ++actions; }};

    // Presses are queued twice (service, then the shortcut's own deferral).
    void press(const HotKey& key) {
        service.press(key);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(GlobalHotKeyTest, MapsStoredShortcutsToKeysymsAndXModifiers) {
    struct Case {
        HotKeyConfiguration shortcut;
        std::optional<HotKey> expected;
    };
    const Case cases[] = {
        {HotKeyConfiguration::defaultShortcut(), altShiftW},
        {HotKeyConfiguration::alternateShortcut(), shiftSuperV},
        {{36, HotKeyConfiguration::controlKey | HotKeyConfiguration::optionKey, u"Ctrl+Alt+Return"_s},
         HotKey{0xff0d, xControl | xAlt}},
        {altU(), HotKey{'u', xAlt}},
        // A key code with no key on this platform.
        {{0x7f, HotKeyConfiguration::controlKey | HotKeyConfiguration::shiftKey, u"?"_s}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortcut.displayText.toStdString());
        EXPECT_EQ(GlobalHotKey::hotKeyFor(c.shortcut), c.expected);
    }
}

TEST_F(GlobalHotKeyTest, DeliversTheRegisteredShortcutLaterOnTheEventLoop) {
    ASSERT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::defaultShortcut()));
    EXPECT_EQ(hotKey.registeredShortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_EQ(service.registered(), QList<HotKey>{altShiftW});

    service.press(altShiftW);
    QCoreApplication::processEvents();
    // The service's own signal has arrived; the action waits for its own turn of the event loop.
    EXPECT_EQ(actions, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(actions, 1);

    press(shiftSuperV);
    EXPECT_EQ(actions, 1);
}

TEST_F(GlobalHotKeyTest, MovingToAnotherShortcutReleasesTheOldGrab) {
    ASSERT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::defaultShortcut()));
    ASSERT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::alternateShortcut()));
    EXPECT_EQ(service.registered(), QList<HotKey>{shiftSuperV});
    press(altShiftW);
    EXPECT_EQ(actions, 0);
    press(shiftSuperV);
    EXPECT_EQ(actions, 1);

    // Same keys, another display text: a different shortcut on the same grab, which must survive the change.
    HotKeyConfiguration renamed = HotKeyConfiguration::alternateShortcut();
    renamed.displayText = u"Shift+Win+V"_s;
    ASSERT_TRUE(hotKey.registerShortcut(renamed));
    EXPECT_EQ(hotKey.registeredShortcut(), renamed);
    EXPECT_EQ(service.registered(), QList<HotKey>{shiftSuperV});
    press(shiftSuperV);
    EXPECT_EQ(actions, 2);

    // A combination another application holds is refused, and the grab stays where it was.
    service.setTaken({altShiftW});
    EXPECT_FALSE(hotKey.registerShortcut(HotKeyConfiguration::defaultShortcut()));
    EXPECT_EQ(service.registered(), QList<HotKey>{shiftSuperV});
}

TEST_F(GlobalHotKeyTest, OneModifierShortcutNeedsTheAccessibilityStandIn) {
    ASSERT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::defaultShortcut()));
    accessibility.setAvailable(false);
    EXPECT_FALSE(hotKey.registerShortcut(altU()));
    EXPECT_EQ(hotKey.registeredShortcut(), HotKeyConfiguration::defaultShortcut());
    press(altShiftW);
    EXPECT_EQ(actions, 1);

    // Two modifiers never ask for it.
    EXPECT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::alternateShortcut()));

    accessibility.setAvailable(true);
    ASSERT_TRUE(hotKey.registerShortcut(altU()));
    EXPECT_EQ(service.registered(), (QList<HotKey>{HotKey{'u', xAlt}}));
    press(HotKey{'u', xAlt});
    EXPECT_EQ(actions, 2);
}

TEST_F(GlobalHotKeyTest, UnregisterStopsDeliveryAndDestructionReleasesTheGrab) {
    ASSERT_TRUE(hotKey.registerShortcut(HotKeyConfiguration::defaultShortcut()));
    hotKey.unregister();
    EXPECT_FALSE(hotKey.registeredShortcut());
    EXPECT_TRUE(service.registered().isEmpty());
    press(altShiftW);
    EXPECT_EQ(actions, 0);

    {
        GlobalHotKey other(service, accessibility, [] {});
        ASSERT_TRUE(other.registerShortcut(HotKeyConfiguration::alternateShortcut()));
        EXPECT_EQ(service.registered(), QList<HotKey>{shiftSuperV});
    }
    EXPECT_TRUE(service.registered().isEmpty());
}
