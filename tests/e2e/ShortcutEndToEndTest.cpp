#include "tests/e2e/StowlineProcess.h"

#include "app/platform/x11/XcbConnection.h"
#include "app/platform/x11/XcbKeyboard.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

constexpr quint32 kKeysymW = 0x0077;
constexpr quint16 kAltShift = XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT;

// Another application holding a key combination for as long as it lives.
class KeyHolder {
public:
    KeyHolder() : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~KeyHolder() { xcb_disconnect(m_connection); }

    bool grab(quint32 keysym, quint16 modifiers) {
        const QList<xcb_keycode_t> codes = XcbKeyboard::keyCodes(m_connection, keysym);
        if (codes.isEmpty())
            return false;
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 0, m_root, modifiers, codes.first(),
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        const XcbPointer<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        return !error;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
};

bool typeKeys(const StowlineProcess& stowline, const QString& keys) {
    QProcess xdotool;
    xdotool.start(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys});
    return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0 && stowline.status().has_value();
}

QString panelRequests(const StowlineProcess& stowline) {
    return stowline.status().value_or(QMap<QString, QString>()).value(u"panelRequests"_s);
}

} // namespace

TEST(ShortcutEndToEnd, TheDefaultShortcutReachesTheApplication) {
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    EXPECT_EQ(stowline.status()->value(u"shortcut"_s), u"Alt+Shift+W"_s);

    ASSERT_TRUE(typeKeys(stowline, u"alt+shift+w"_s));
    EXPECT_TRUE(waitUntil([&] { return panelRequests(stowline) == u"1"_s; }));
    // Another combination on the same key is not the shortcut.
    ASSERT_TRUE(typeKeys(stowline, u"ctrl+shift+w"_s));
    ASSERT_TRUE(typeKeys(stowline, u"alt+shift+w"_s));
    EXPECT_TRUE(waitUntil([&] { return panelRequests(stowline) == u"2"_s; }));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

TEST(ShortcutEndToEnd, ATakenDefaultShortcutFallsBackToTheAlternate) {
    KeyHolder other;
    ASSERT_TRUE(other.grab(kKeysymW, kAltShift));
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());

    const auto status = stowline.status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->value(u"shortcut"_s), u"Shift+Super+V"_s);
    EXPECT_EQ(status->value(u"lastError"_s),
              u"Alt+Shift+W is already used by another application, so Stowline is using Shift+Super+V."_s);

    ASSERT_TRUE(typeKeys(stowline, u"shift+super+v"_s));
    EXPECT_TRUE(waitUntil([&] { return panelRequests(stowline) == u"1"_s; }));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
    ASSERT_TRUE(stowline.waitForInstanceToEnd());

    // The fallback was stored as the choice and as the last shortcut that worked.
    QSettings stored(home.preferencesPath(), QSettings::IniFormat);
    EXPECT_TRUE(stored.value(u"shortcutConfiguration"_s).toByteArray().contains("Shift+Super+V"));
    EXPECT_TRUE(stored.value(u"lastProvenShortcutConfiguration"_s).toByteArray().contains("Shift+Super+V"));
}
