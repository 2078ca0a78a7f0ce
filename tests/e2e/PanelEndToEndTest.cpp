#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"

#include <QMap>
#include <QRect>
#include <QSettings>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(u"xdotool"_s, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The process whose window has the keyboard focus, as the X server says.
qint64 focusedProcess() {
    return xdotool({u"getwindowfocus"_s, u"getwindowpid"_s}).toLongLong();
}

// Key combinations separated by spaces, pressed one after the other.
void keys(const QString& keys) {
    xdotool(QStringList{u"key"_s, u"--clearmodifiers"_s} + keys.split(u' '));
}

void type(const QString& text) {
    xdotool({u"type"_s, u"--delay"_s, u"30"_s, text});
}

QString panel(const StowlineProcess& stowline) {
    return stowline.statusValue(u"panel"_s);
}

class PanelEndToEnd : public ::testing::Test {
protected:
    // Instant paste on, as a user who wants Return to paste has it.
    bool start(const QMap<QString, QVariant>& preferences = {{u"instantPaste"_s, true}}) {
        QSettings settings(home.preferencesPath(), QSettings::IniFormat);
        for (auto it = preferences.cbegin(); it != preferences.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        return stowline.startInBackground();
    }
    bool copy(const QByteArray& text, int count) {
        return clients.copyWithXclip(u"UTF8_STRING"_s, text) &&
               waitUntil([&] { return stowline.statusValue(u"clips"_s) == QString::number(count); });
    }
    // The shortcut opens the panel and it takes the keyboard.
    bool openWithShortcut() {
        keys(u"alt+shift+w"_s);
        const qint64 pid = stowline.instance().processId();
        return waitUntil([&] {
            return panel(stowline) != u"hidden"_s && focusedProcess() == pid &&
                   stowline.statusValue(u"panelActive"_s) == u"1"_s;
        });
    }
    bool targetIsFocused() {
        return waitUntil([&] { return focusedProcess() == clients.pasteTargetProcessId(); });
    }
    void clearTarget() { keys(u"ctrl+a BackSpace"_s); }

    StowlineHome home;
    ClipboardClients clients;
    StowlineProcess stowline{home};
};

TEST_F(PanelEndToEnd, TheShortcutOpensAFocusedPanelThatSearchesPastesEditsAndGoesAway) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(copy("alpha apple", 1));
    ASSERT_TRUE(copy("bravo banana", 2));
    ASSERT_TRUE(clients.copyFromWindow(u"stowline-e2e-writer"_s,
                                       {{u"text/html"_s, "<b>delta</b> dog"}, {u"text/plain"_s, "delta dog"}}));
    ASSERT_TRUE(waitUntil([&] { return stowline.status()->value(u"clips"_s) == u"3"_s; }));
    ASSERT_TRUE(clients.openPasteTarget());
    // Away from the middle of the screen, where the panel will cover it.
    const QString target =
        xdotool({u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(clients.pasteTargetProcessId())})
            .split(u'\n')
            .value(0);
    xdotool({u"windowmove"_s, u"--sync"_s, target, u"40"_s, u"40"_s});

    // Typing narrows the list; Return pastes the one left into the application in front before.
    ASSERT_TRUE(openWithShortcut());
    EXPECT_EQ(panel(stowline), u"3"_s);
    type(u"bravo"_s);
    ASSERT_TRUE(waitUntil([&] { return panel(stowline) == u"1"_s; }));
    keys(u"Return"_s);
    EXPECT_TRUE(clients.pasteTargetShows(u"bravo banana"_s));
    EXPECT_TRUE(targetIsFocused());
    EXPECT_EQ(panel(stowline), u"hidden"_s);
    clearTarget();

    // Shift+Return: the plain text alone.
    ASSERT_TRUE(openWithShortcut());
    type(u"delta"_s);
    ASSERT_TRUE(waitUntil([&] { return panel(stowline) == u"1"_s; }));
    keys(u"shift+Return"_s);
    EXPECT_TRUE(clients.pasteTargetShows(u"delta dog"_s));
    EXPECT_TRUE(ClipboardClients::paste(u"text/html"_s).isEmpty());
    clearTarget();

    // Alt+Return opens the editor; the edited text is pasted and the stored clip stays as it was.
    ASSERT_TRUE(openWithShortcut());
    type(u"alpha"_s);
    ASSERT_TRUE(waitUntil([&] { return panel(stowline) == u"1"_s; }));
    keys(u"alt+Return"_s);
    ASSERT_TRUE(waitUntil([&] { return panel(stowline) == u"hidden"_s; }));
    ASSERT_TRUE(waitUntil([&] { return focusedProcess() == stowline.instance().processId(); }));
    type(u"my "_s);
    keys(u"ctrl+Return"_s);
    EXPECT_TRUE(clients.pasteTargetShows(u"my alpha apple"_s));
    const Finished listing = stowline.run({u"list"_s});
    EXPECT_TRUE(listing.output.contains(u"alpha apple"_s));
    EXPECT_FALSE(listing.output.contains(u"my alpha"_s));
    clearTarget();

    // Escape returns to the application in front before.
    ASSERT_TRUE(openWithShortcut());
    keys(u"Escape"_s);
    EXPECT_TRUE(targetIsFocused());
    EXPECT_EQ(panel(stowline), u"hidden"_s);

    // Dragging the panel's background moves it: it stays open with the keyboard, as does a drag at its edge, which
    // resizes it. The shortcut pressed again closes it.
    ASSERT_TRUE(openWithShortcut());
    const auto geometry = [] {
        QMap<QString, int> values;
        for (const QString& line : xdotool({u"getwindowfocus"_s, u"getwindowgeometry"_s, u"--shell"_s}).split(u'\n'))
            values.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return QRect(values.value(u"X"_s), values.value(u"Y"_s), values.value(u"WIDTH"_s), values.value(u"HEIGHT"_s));
    };
    const auto drag = [](QPoint from, QPoint by) {
        xdotool({u"mousemove"_s, u"--sync"_s, QString::number(from.x()), QString::number(from.y())});
        xdotool({u"mousedown"_s, u"1"_s});
        for (int step = 1; step <= 4; ++step)
            xdotool({u"mousemove"_s, u"--sync"_s, QString::number(from.x() + by.x() * step / 4),
                     QString::number(from.y() + by.y() * step / 4)});
        xdotool({u"mouseup"_s, u"1"_s});
    };
    const QRect before = geometry();
    // The footer's empty middle is background.
    drag(QPoint(before.x() + before.width() * 6 / 10, before.bottom() - 10), QPoint(-80, -60));
    EXPECT_TRUE(waitUntil([&] { return geometry().topLeft() != before.topLeft(); }));
    EXPECT_NE(panel(stowline), u"hidden"_s);
    const QRect moved = geometry();
    drag(QPoint(moved.right() - 1, moved.center().y()), QPoint(40, 0));
    EXPECT_TRUE(waitUntil([&] { return geometry().width() > moved.width(); }));
    EXPECT_NE(panel(stowline), u"hidden"_s);
    EXPECT_TRUE(waitUntil([&] { return focusedProcess() == stowline.instance().processId(); }));
    keys(u"alt+shift+w"_s);
    EXPECT_TRUE(waitUntil([&] { return panel(stowline) == u"hidden"_s; }));
    EXPECT_TRUE(targetIsFocused());

    // A click into another application dismisses the panel.
    ASSERT_TRUE(openWithShortcut());
    xdotool({u"mousemove"_s, u"--window"_s, target, u"10"_s, u"10"_s, u"click"_s, u"1"_s});
    EXPECT_TRUE(waitUntil([&] { return panel(stowline) == u"hidden"_s; }));
    EXPECT_TRUE(targetIsFocused());

    // `toggle` shows a hidden panel and hides a visible one.
    EXPECT_EQ(stowline.run({u"toggle"_s}).exitCode, 0);
    EXPECT_NE(panel(stowline), u"hidden"_s);
    EXPECT_EQ(stowline.run({u"toggle"_s}).exitCode, 0);
    EXPECT_EQ(panel(stowline), u"hidden"_s);
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

TEST_F(PanelEndToEnd, ThePanelClosesByItselfAfterTheInactivityTime) {
    ASSERT_TRUE(start({{u"inactivitySeconds"_s, 1}}));
    ASSERT_TRUE(clients.openPasteTarget());
    EXPECT_EQ(stowline.run({u"show"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return panel(stowline) != u"hidden"_s; }));
    EXPECT_TRUE(waitUntil([&] { return panel(stowline) == u"hidden"_s; }, 8000));
    EXPECT_TRUE(targetIsFocused());
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

} // namespace
