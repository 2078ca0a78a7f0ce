#include "app/platform/portal/PortalHotKeyService.h"
#include "tests/platform/FakeDesktopPortal.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon-keysyms.h>

using namespace stowline;
using namespace stowline::test;

namespace {

// X11 modifier bits.
const HotKey altShiftW{XKB_KEY_w, 0x8 | 0x1};
const HotKey controlSuperV{XKB_KEY_v, 0x4 | 0x40};

// The service comes first and the portal later, as when Stowline starts before the desktop's portal; a changed
// shortcut is bound in a new session, and only the current session's activations press a key.
TEST(PortalHotKeyService, BindsThroughALatePortalAndPressesOnActivation) {
    PortalHotKeyService service;
    QList<HotKey> pressed;
    QObject::connect(&service, &HotKeyService::pressed, [&](const HotKey& key) { pressed.append(key); });
    ASSERT_TRUE(service.registerKey(altShiftW));
    EXPECT_FALSE(service.isRegistered(altShiftW));

    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.startWithShortcuts());
    ASSERT_TRUE(portal.waitForLine("session 1"));
    ASSERT_TRUE(portal.waitForLine("bound toggle-panel-ALT+SHIFT+w ALT+SHIFT+w"));
    ASSERT_TRUE(waitUntil([&] { return service.isRegistered(altShiftW); }));
    EXPECT_TRUE(service.isAvailable());
    portal.send("activate toggle-panel-ALT+SHIFT+w");
    ASSERT_TRUE(portal.waitForLine("activated"));
    ASSERT_TRUE(waitUntil([&] { return !pressed.isEmpty(); }));
    EXPECT_EQ(pressed, QList<HotKey>{altShiftW});

    ASSERT_TRUE(service.registerKey(controlSuperV));
    service.unregisterKey(altShiftW);
    ASSERT_TRUE(portal.waitForLine("session 2"));
    ASSERT_TRUE(portal.waitForLine("bound toggle-panel-CTRL+LOGO+v CTRL+LOGO+v"));
    ASSERT_TRUE(waitUntil([&] { return service.isRegistered(controlSuperV); }));
    EXPECT_FALSE(service.isRegistered(altShiftW));
    // The old shortcut is gone with its session; the new one presses.
    portal.send("activate toggle-panel-ALT+SHIFT+w");
    ASSERT_TRUE(portal.waitForLine("activated"));
    portal.send("activate toggle-panel-CTRL+LOGO+v");
    ASSERT_TRUE(portal.waitForLine("activated"));
    ASSERT_TRUE(waitUntil([&] { return pressed.size() == 2; }));
    EXPECT_EQ(pressed.last(), controlSuperV);
}

TEST(PortalHotKeyService, ABindingTheUserDeclinesLeavesTheKeyUnbound) {
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.startWithShortcuts(true));
    PortalHotKeyService service;
    QList<bool> finished;
    QObject::connect(&service, &PortalHotKeyService::bindingFinished, [&](bool bound) { finished.append(bound); });
    ASSERT_TRUE(service.registerKey(altShiftW));
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 1; }));
    EXPECT_FALSE(finished.first());
    EXPECT_FALSE(service.isRegistered(altShiftW));
    EXPECT_TRUE(service.isAvailable());
    // A keysym without a name cannot be offered at all.
    EXPECT_FALSE(service.registerKey({0, 0x4}));
}

} // namespace
