#include "app/shortcut/GlobalHotKey.h"

#include "app/platform/x11/X11HotKeyService.h"
#include "app/platform/x11/XTestKeystrokePoster.h"
#include "app/platform/x11/XcbKeyboard.h"
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

// Another X client, whose grab makes a combination taken for this one.
class OtherClient {
public:
    OtherClient() : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_connection); }

    bool grab(const HotKey& key) {
        const QList<xcb_keycode_t> codes = XcbKeyboard::keyCodes(m_connection, key.keysym);
        if (codes.isEmpty())
            return false;
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 0, m_root, key.modifiers, codes.first(),
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        const XcbPointer<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        return !error;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
};

void typeKeys(const QString& keys) {
    ASSERT_EQ(runClient(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys}).exitCode, 0);
}

void settle() {
    waitUntil([] { return false; }, 300);
}

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
    EXPECT_TRUE(waitUntil([&] { return actions == 2; }));
    settle();
    EXPECT_EQ(actions, 2);
    // The old combination is free for others again.
    OtherClient other;
    EXPECT_TRUE(other.grab(*GlobalHotKey::hotKeyFor(kControlAltL)));
}

TEST(GlobalHotKeyOnX11, ACombinationAnotherClientHoldsFailsAndTheOldOneStaysLive) {
    X11HotKeyService service;
    XTestKeystrokePoster accessibility;
    int actions = 0;
    GlobalHotKey hotKey(service, accessibility, [&] { ++actions; });
    ASSERT_TRUE(hotKey.registerShortcut(kControlAltL));

    OtherClient other;
    ASSERT_TRUE(other.grab(*GlobalHotKey::hotKeyFor(kControlAltO)));
    EXPECT_FALSE(hotKey.registerShortcut(kControlAltO));
    EXPECT_EQ(hotKey.registeredShortcut(), kControlAltL);

    typeKeys(u"ctrl+alt+l"_s);
    EXPECT_TRUE(waitUntil([&] { return actions == 1; }));
    // Registering the live one again asks nothing of the server and succeeds.
    EXPECT_TRUE(hotKey.registerShortcut(kControlAltL));
    typeKeys(u"ctrl+alt+l"_s);
    EXPECT_TRUE(waitUntil([&] { return actions == 2; }));
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
    settle();
    EXPECT_EQ(actions, 1);

    hotKey.unregister();
    typeKeys(u"alt+u"_s);
    settle();
    EXPECT_EQ(actions, 1);
}
