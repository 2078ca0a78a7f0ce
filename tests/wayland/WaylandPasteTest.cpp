// Pasting into the previous application on Wayland: through the running executable's command and panel, and
// through the keystroke adapter of the test process itself, with the compositor's own window tracking deciding where
// the keys may go.
#include "tests/e2e/StowlineProcess.h"
#include "tests/support/Wait.h"
#include "tests/wayland/WaylandClients.h"

#include "app/platform/wayland/SyntheticKeyboard.h"
#include "app/platform/wayland/WaylandFrontmostApplication.h"
#include "app/platform/wayland/WaylandKeystrokePoster.h"
#include "app/platform/wayland/WaylandSession.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <initializer_list>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

const QString utf8Text = u"text/plain;charset=utf-8"_s;

// An instance with two clips, "older clip" under "newest clip".
class WaylandPasteInstance : public ::testing::Test {
protected:
    bool startWithTwoClips(bool instantPaste) {
        {
            QDir().mkpath(QFileInfo(home.preferencesPath()).path());
            QSettings settings(home.preferencesPath(), QSettings::IniFormat);
            settings.setValue(u"preferencesSchema"_s, 2);
            settings.setValue(u"instantPaste"_s, instantPaste);
        }
        return stowline.startInBackground() && clients.copyText("older clip") &&
               waitUntil([&] { return stowline.statusValue(u"clips"_s) == u"1"; }, 20000) &&
               clients.copyText("newest clip") &&
               waitUntil([&] { return stowline.statusValue(u"clips"_s) == u"2"; }, 20000);
    }

    StowlineHome home;
    StowlineProcess stowline{home};
    WaylandClients clients;
};

TEST_F(WaylandPasteInstance, ACopiedBackClipIsPastedIntoTheWindowInFront) {
    ASSERT_TRUE(startWithTwoClips(false));
    QProcess* target = clients.openPasteTarget();
    ASSERT_NE(target, nullptr);

    ASSERT_EQ(stowline.run({u"copy"_s, u"2"_s, u"--paste"_s}).exitCode, 0);
    EXPECT_TRUE(WaylandClients::waitForLine(*target, "text=older clip"));
}

// The adapter checks the active window right before it types: another window in front gets nothing and the clip
// stays where it was; once the target is back in front, one paste types the clip once.
TEST(WaylandPaste, TypesOnlyWhileTheTargetWindowIsActive) {
    const std::shared_ptr<WaylandSession> session = WaylandSession::open();
    ASSERT_NE(session, nullptr);
    WaylandKeystrokePoster poster(session);
    WaylandFrontmostApplication frontmost(session);
    ASSERT_TRUE(poster.isAvailable());
    // KWin offers no virtual keyboard, only its fake input to a program its desktop entry allows.
    if (qEnvironmentVariable("STOWLINE_COMPOSITOR") == u"kwin")
        EXPECT_TRUE(session->capabilities().fakeInput && !session->capabilities().virtualKeyboard);
    else
        EXPECT_TRUE(session->capabilities().virtualKeyboard);

    WaylandClients clients;
    ASSERT_TRUE(clients.copyText("kept clip"));
    QProcess* target = clients.openPasteTarget();
    ASSERT_NE(target, nullptr);
    std::optional<RunningApplication> targetApp;
    ASSERT_TRUE(waitUntil([&] { return (targetApp = frontmost.frontmost()).has_value(); }));
    ASSERT_TRUE(clients.openWindow(u"org.stowline.OtherWindow"_s));
    ASSERT_TRUE(waitUntil([&] {
        const std::optional<RunningApplication> front = frontmost.frontmost();
        return front && front->window != targetApp->window;
    }));

    bool refused = false;
    ASSERT_TRUE(poster.postPasteKeystrokeInto(targetApp->window, [&] { refused = true; }));
    ASSERT_TRUE(waitUntil([&] { return refused; }));
    EXPECT_EQ(WaylandClients::paste(utf8Text), "kept clip");

    ASSERT_TRUE(frontmost.activate(*targetApp));
    ASSERT_TRUE(waitUntil([&] { return frontmost.frontmost() == targetApp; }));
    refused = false;
    ASSERT_TRUE(poster.postPasteKeystrokeInto(targetApp->window, [&] { refused = true; }));
    EXPECT_TRUE(WaylandClients::waitForLine(*target, "text=kept clip"));
    // The refused paste typed nothing: the first text the target ever held is the one paste.
    EXPECT_FALSE(target->property("said").toByteArray().contains("text=kept clipkept clip"));
    EXPECT_FALSE(refused);
}

// Kernel key codes.
constexpr unsigned keyEscape = 1;
constexpr unsigned keyE = 18;
constexpr unsigned keyR = 19;
constexpr unsigned keyEnter = 28;
constexpr unsigned keyD = 32;
constexpr unsigned keyL = 38;
constexpr unsigned keyO = 24;

// The panel as a native Wayland window: `stowline toggle` gives it the keyboard, keys typed on a keyboard of the
// test's own filter and choose, and the clip is pasted into the window the user came from.
TEST_F(WaylandPasteInstance, ToggleGivesThePanelTheKeyboardAndReturnPastesIntoTheWindowBefore) {
    const std::shared_ptr<WaylandSession> session = WaylandSession::open();
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(session->canType());
    WaylandFrontmostApplication frontmost(session);
    const auto type = [&](std::initializer_list<unsigned> keys) {
        session->postToKeyboard(
            [codes = std::vector<unsigned>(keys)](SyntheticKeyboard& keyboard, const ToplevelTracker*) {
                for (const unsigned code : codes)
                    keyboard.typeKey(code);
            });
    };
    const auto frontAppId = [&] {
        const std::optional<RunningApplication> front = frontmost.frontmost();
        return front ? front->bundleIdentifier.value_or(QString()) : QString();
    };

    ASSERT_TRUE(startWithTwoClips(true));
    QProcess* target = clients.openPasteTarget();
    ASSERT_NE(target, nullptr);
    std::optional<RunningApplication> targetApp;
    ASSERT_TRUE(waitUntil([&] { return (targetApp = frontmost.frontmost()).has_value(); }));

    // The compositor itself reports the panel as the active window, and the panel has the keyboard.
    ASSERT_EQ(stowline.run({u"toggle"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return frontAppId() == u"org.stowline.Stowline"; }));
    ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"panelActive"_s) == u"1"; }));
    type({keyO, keyL, keyD, keyE, keyR});
    ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"panel"_s) == u"1"; }));
    type({keyEnter});
    EXPECT_TRUE(WaylandClients::waitForLine(*target, "text=older clip"));
    EXPECT_TRUE(waitUntil([&] { return frontmost.frontmost() == targetApp; }));

    // Escape hides the panel and the focus goes back to the window the user came from.
    ASSERT_EQ(stowline.run({u"toggle"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"panelActive"_s) == u"1"; }));
    EXPECT_EQ(frontAppId(), u"org.stowline.Stowline");
    type({keyEscape});
    EXPECT_TRUE(waitUntil([&] { return stowline.statusValue(u"panel"_s) == u"hidden"; }));
    EXPECT_TRUE(waitUntil([&] { return frontmost.frontmost() == targetApp; }));
}

} // namespace
