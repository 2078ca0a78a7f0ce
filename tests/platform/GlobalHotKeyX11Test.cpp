#include "app/shortcut/GlobalHotKey.h"

#include "app/platform/x11/X11HotKeyService.h"
#include "app/platform/x11/XTestKeystrokePoster.h"
#include "tests/platform/XClients.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

// Ctrl+Alt+L and Ctrl+Alt+O: free under openbox, unlike the built-ins' neighbours.
const HotKeyConfiguration kControlAltL{37, HotKeyConfiguration::controlKey | HotKeyConfiguration::optionKey,
                                       u"Ctrl+Alt+L"_s};
const HotKeyConfiguration kControlAltO{31, HotKeyConfiguration::controlKey | HotKeyConfiguration::optionKey,
                                       u"Ctrl+Alt+O"_s};

} // namespace

TEST(GlobalHotKeyOnX11, PressesReachTheActionAndMovingReleasesTheOldGrab) {
    X11HotKeyService service;
    XTestKeystrokePoster accessibility;
    int actions = 0;
    GlobalHotKey hotKey(service, accessibility, [&] { ++actions; });

    ASSERT_TRUE(hotKey.registerShortcut(kControlAltL));
    typeKeys(u"ctrl+alt+l"_s);
    EXPECT_TRUE(waitUntil([&] { return actions == 1; }));

    ASSERT_TRUE(hotKey.registerShortcut(kControlAltO));
    typeKeys(u"ctrl+alt+l"_s);
    typeKeys(u"ctrl+alt+o"_s);
    typeKeys(u"ctrl+alt+o"_s);
    // Key events arrive in order: once the later presses are in, the old combination's would have been too.
    EXPECT_TRUE(waitUntil([&] { return actions >= 3; }));
    EXPECT_EQ(actions, 3);
    // The old combination is free for others again.
    OtherXClient other;
    EXPECT_TRUE(other.grab(*GlobalHotKey::hotKeyFor(kControlAltL)));
}

TEST(GlobalHotKeyOnX11, OneModifierShortcutUsesTheGrabWhenXTestIsPresent) {
    X11HotKeyService service;
    XTestKeystrokePoster accessibility;
    ASSERT_TRUE(accessibility.isAvailable());
    int actions = 0;
    GlobalHotKey hotKey(service, accessibility, [&] { ++actions; });
    const HotKeyConfiguration altU{32, HotKeyConfiguration::optionKey, u"Alt+U"_s};
    ASSERT_TRUE(hotKey.registerShortcut(altU));
    typeKeys(u"alt+u"_s);
    EXPECT_TRUE(waitUntil([&] { return actions == 1; }));
    // With one more modifier it is another combination and passes through.
    typeKeys(u"alt+shift+u"_s);
    typeKeys(u"alt+u"_s);
    EXPECT_TRUE(waitUntil([&] { return actions >= 2; }));
    EXPECT_EQ(actions, 2);
}
