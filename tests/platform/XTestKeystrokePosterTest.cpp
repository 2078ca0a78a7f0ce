#include "app/platform/x11/XTestKeystrokePoster.h"

#include "app/platform/x11/XcbKeyboard.h"
#include "tests/platform/XClients.h"

#include <QCoreApplication>
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

// A window of this process, shown and active.
bool showActive(KeyRecorder& window) {
    window.resize(300, 200);
    window.show();
    return waitUntil([&] { return window.windowHandle() != nullptr && window.windowHandle()->isExposed(); }) &&
           runClient(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, QString::number(window.winId())}).exitCode == 0 &&
           waitUntil([&] { return window.isActiveWindow(); });
}

int pastesIn(const KeyRecorder& window) {
    return int(
        std::count(window.presses.cbegin(), window.presses.cend(), QKeyCombination(Qt::ControlModifier, Qt::Key_V)));
}

constexpr xcb_keysym_t kShiftLeft = 0xffe1;
constexpr xcb_keysym_t kAltLeft = 0xffe9;

} // namespace

TEST(XTestKeystrokePoster, PostsExactlyControlVOnceTheUserHasLetGoOfTheModifiers) {
    XTestKeystrokePoster poster;
    ASSERT_TRUE(poster.isAvailable());

    KeyRecorder window;
    ASSERT_TRUE(showActive(window));

    const XcbConnection connection = XcbConnection::ofApplication();
    const auto xdotool = [](const char* action, const char* key) {
        return runClient(u"xdotool"_s, {QString::fromLatin1(action), QString::fromLatin1(key)}).exitCode == 0;
    };
    const auto pastes = [&] { return pastesIn(window); };
    const auto pressesAfterPaste = [&] {
        const auto paste = std::find(window.presses.crbegin(), window.presses.crend(),
                                     QKeyCombination(Qt::ControlModifier, Qt::Key_V));
        return QList<QKeyCombination>(window.presses.crbegin(), paste);
    };

    // Shift still held from the shortcut: the paste waits, and once the user lets go arrives as Ctrl+V alone,
    // with Shift never pressed again.
    ASSERT_TRUE(xdotool("keydown", "shift"));
    ASSERT_TRUE(isKeyDown(connection.get(), kShiftLeft));
    ASSERT_TRUE(poster.postPasteKeystroke({window.winId(), {}}));
    QCoreApplication::processEvents();
    EXPECT_EQ(pastes(), 0);
    ASSERT_TRUE(xdotool("keyup", "shift"));
    ASSERT_TRUE(waitUntil([&] { return pastes() == 1; }));
    // A key typed afterwards marks the end of what the paste brought.
    ASSERT_TRUE(xdotool("key", "x"));
    ASSERT_TRUE(waitUntil([&] { return window.presses.last().key() == Qt::Key_X; }));
    EXPECT_EQ(pressesAfterPaste(), QList<QKeyCombination>{QKeyCombination(Qt::Key_X)});
    EXPECT_FALSE(isKeyDown(connection.get(), kShiftLeft));
    EXPECT_FALSE(isKeyDown(connection.get(), XcbKeyboard::kControlLeft));

    // Alt held past the wait: the paste goes out without it, and Alt, which the user still holds, stays down.
    window.presses.clear();
    ASSERT_TRUE(xdotool("keydown", "alt"));
    ASSERT_TRUE(poster.postPasteKeystroke({window.winId(), {}}));
    ASSERT_TRUE(waitUntil([&] { return pastes() == 1; }));
    EXPECT_TRUE(isKeyDown(connection.get(), kAltLeft));
    EXPECT_FALSE(isKeyDown(connection.get(), XcbKeyboard::kControlLeft));
    ASSERT_TRUE(xdotool("keyup", "alt"));
}

TEST(XTestKeystrokePoster, APasteWhoseWindowLostTheFocusTypesNothing) {
    XTestKeystrokePoster poster;
    ASSERT_TRUE(poster.isAvailable());
    KeyRecorder meant;
    KeyRecorder other;
    ASSERT_TRUE(showActive(meant));
    // The focus moves on after the paste was chosen for `meant`.
    ASSERT_TRUE(showActive(other));

    int refusals = 0;
    ASSERT_TRUE(poster.postPasteKeystroke({meant.winId(), [&] { ++refusals; }}));
    ASSERT_TRUE(waitUntil([&] { return refusals == 1; }));
    // A key typed afterwards is all the window in front ever got.
    ASSERT_EQ(runClient(u"xdotool"_s, {u"key"_s, u"x"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return !other.presses.isEmpty(); }));
    EXPECT_EQ(other.presses, QList<QKeyCombination>{QKeyCombination(Qt::Key_X)});
    EXPECT_TRUE(meant.presses.isEmpty());

    // The same paste meant for the window in front goes through.
    ASSERT_TRUE(poster.postPasteKeystroke({other.winId(), [&] { ++refusals; }}));
    ASSERT_TRUE(waitUntil([&] { return pastesIn(other) == 1; }));
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(pastesIn(meant), 0);
}
