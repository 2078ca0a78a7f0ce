#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;
using namespace stowline::test;

namespace {

std::optional<QString> xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The title's dash is matched as any bytes: xdotool matches by byte in a session without a UTF-8 locale.
QString visibleSettingsWindow(const QString& pane) {
    const QString pattern = u'^' + pane + u" .+ Stowline Settings$"_s;
    return xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, pattern}).value_or(QString()).section(u'\n', 0, 0);
}

} // namespace

TEST(SettingsEndToEnd, CtrlCommaOpensTheSettingsWhereARecordedShortcutGoesLive) {
    StowlineHome home;
    {
        // The settings open on the Shortcuts pane.
        QDir().mkpath(QFileInfo(home.preferencesPath()).path());
        QSettings stored(home.preferencesPath(), QSettings::IniFormat);
        stored.setValue(u"selectedSettingsTab"_s, u"shortcuts"_s);
    }
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    ASSERT_EQ(stowline.run({u"show"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] {
        // The panel, titled with the application's name, has the keyboard.
        return xdotool({u"getactivewindow"_s, u"getwindowname"_s}) == u"Stowline"_s;
    }));

    ASSERT_TRUE(xdotool({u"key"_s, u"--clearmodifiers"_s, u"ctrl+comma"_s}));
    QString settings;
    ASSERT_TRUE(waitUntil([&] {
        settings = visibleSettingsWindow(u"Shortcuts"_s);
        return !settings.isEmpty();
    }));

    // The recorder sits at the right of "Open Stowline" (the window opens at its default size).
    ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, settings, u"444"_s, u"151"_s, u"click"_s, u"1"_s}));
    ASSERT_TRUE(xdotool({u"key"_s, u"ctrl+alt+k"_s}));
    EXPECT_TRUE(waitUntil([&] { return stowline.statusValue(u"shortcut"_s) == u"Ctrl+Alt+K"_s; }));
    EXPECT_TRUE(stowline.statusValue(u"lastError"_s).isEmpty());

    const QString before = stowline.statusValue(u"panelRequests"_s);
    ASSERT_TRUE(xdotool({u"key"_s, u"--clearmodifiers"_s, u"ctrl+alt+k"_s}));
    EXPECT_TRUE(waitUntil([&] { return stowline.statusValue(u"panelRequests"_s).toInt() == before.toInt() + 1; }));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    QSettings stored(home.preferencesPath(), QSettings::IniFormat);
    EXPECT_TRUE(stored.value(u"shortcutConfiguration"_s).toByteArray().contains("Ctrl+Alt+K"));
}

TEST(SettingsEndToEnd, StowlineSettingsOpensTheWindowWhereATypedHistoryLimitIsStoredAndApplied) {
    StowlineHome home;
    {
        QDir().mkpath(QFileInfo(home.preferencesPath()).path());
        QSettings stored(home.preferencesPath(), QSettings::IniFormat);
        stored.setValue(u"selectedSettingsTab"_s, u"history"_s);
        stored.setValue(u"historyLimit"_s, 5);
        stored.setValue(u"preferencesSchema"_s, 4);
    }
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    ClipboardClients clients;
    ASSERT_TRUE(clients.openPasteTarget());
    // One at a time: copies that follow each other faster than a capture become one clip.
    int count = 0;
    for (const QByteArray text : {"one", "two", "three"}) {
        ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, text));
        ++count;
        ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"clips"_s) == QString::number(count); }));
    }

    ASSERT_EQ(stowline.run({u"settings"_s}).exitCode, 0);
    QString settings;
    ASSERT_TRUE(waitUntil([&] {
        settings = visibleSettingsWindow(u"History"_s);
        return !settings.isEmpty();
    }));
    // The field under "Unlimited items" (the window opens at its default size on the History pane).
    ASSERT_TRUE(xdotool({u"mousemove"_s, u"--window"_s, settings, u"97"_s, u"206"_s, u"click"_s, u"1"_s}));
    ASSERT_TRUE(xdotool({u"key"_s, u"ctrl+a"_s}));
    // A limit that removes nothing now: one that would asks first (the settings' own tests answer that).
    ASSERT_TRUE(xdotool({u"type"_s, u"3"_s}));
    ASSERT_TRUE(xdotool({u"key"_s, u"Return"_s}));
    QSettings stored(home.preferencesPath(), QSettings::IniFormat);
    EXPECT_TRUE(waitUntil([&] {
        stored.sync();
        return stored.value(u"historyLimit"_s).toInt() == 3;
    }));

    // Another application copies again: the history keeps three clips.
    ASSERT_TRUE(xdotool({u"search"_s, u"--name"_s, u"paste target"_s, u"windowactivate"_s, u"--sync"_s}));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "four"));
    EXPECT_TRUE(waitUntil([&] { return stowline.listedKindsAndTitles().first() == u"text\tfour"_s; }));
    EXPECT_EQ(stowline.listedKindsAndTitles(), (QStringList{u"text\tfour"_s, u"text\tthree"_s, u"text\ttwo"_s}));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}
