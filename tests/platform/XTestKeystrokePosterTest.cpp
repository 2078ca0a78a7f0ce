#include "app/platform/x11/XTestKeystrokePoster.h"

#include "app/platform/x11/XcbKeyboard.h"
#include "tests/platform/XClients.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

class KeyRecorder : public QWidget {
public:
    QList<QKeyCombination> presses;

protected:
    void keyPressEvent(QKeyEvent* event) override { presses << event->keyCombination(); }
};

bool isKeyDown(xcb_connection_t* connection, xcb_keysym_t keysym) {
    const XcbPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    const QList<xcb_keycode_t> codes = XcbKeyboard::keyCodes(connection, keysym);
    return keymap && !codes.isEmpty() && (keymap->keys[codes.first() / 8] & (1U << (codes.first() % 8))) != 0;
}

} // namespace

TEST(XTestKeystrokePoster, PostsExactlyControlVIntoTheFocusedWindow) {
    XTestKeystrokePoster poster;
    ASSERT_TRUE(poster.isAvailable());

    KeyRecorder window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() != nullptr && window.windowHandle()->isExposed(); }));
    ASSERT_EQ(runClient(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, QString::number(window.winId())}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));

    // The user still holds Shift from the shortcut: the paste must arrive without it, and Shift stays held after.
    constexpr xcb_keysym_t shiftLeft = 0xffe1;
    const XcbConnection connection = XcbConnection::ofApplication();
    ASSERT_EQ(runClient(u"xdotool"_s, {u"keydown"_s, u"shift"_s}).exitCode, 0);
    ASSERT_TRUE(isKeyDown(connection.get(), shiftLeft));

    ASSERT_TRUE(poster.postPasteKeystroke());
    const auto pasted = [&] {
        return std::find_if(window.presses.cbegin(), window.presses.cend(),
                            [](QKeyCombination press) { return press.key() == Qt::Key_V; });
    };
    ASSERT_TRUE(waitUntil([&] { return pasted() != window.presses.cend(); }));
    EXPECT_EQ(*pasted(), QKeyCombination(Qt::ControlModifier, Qt::Key_V));
    // Shift comes back afterwards, as the user still holds it.
    EXPECT_TRUE(waitUntil([&] { return window.presses.last().key() == Qt::Key_Shift; }));
    EXPECT_TRUE(isKeyDown(connection.get(), shiftLeft));
    EXPECT_FALSE(isKeyDown(connection.get(), XcbKeyboard::kControlLeft));

    ASSERT_EQ(runClient(u"xdotool"_s, {u"keyup"_s, u"shift"_s}).exitCode, 0);
}
