#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSettings>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;
using namespace stowline::test;

namespace {

// Runs an X client to its end and returns what it printed; nothing when it failed.
std::optional<QString> runClient(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// A tray host on the test's display (Debian's trayer), for as long as the object lives.
class TrayHost {
public:
    ~TrayHost() {
        m_trayer.kill();
        m_trayer.waitForFinished(5000);
    }

    bool start() {
        m_trayer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_trayer.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s, u"request"_s,
                                     u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s});
        return m_trayer.waitForStarted(5000);
    }

private:
    QProcess m_trayer;
};

QStringList visibleStowlineWindows() {
    return runClient(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"stowline"_s})
        .value_or(QString())
        .split(u'\n', Qt::SkipEmptyParts);
}

bool click(const QString& window, int button) {
    return runClient(u"xdotool"_s,
                     {u"mousemove"_s, u"--window"_s, window, u"8"_s, u"8"_s, u"click"_s, QString::number(button)})
        .has_value();
}

QImage picture(const QString& window) {
    bool ok = false;
    const WId id = window.toULongLong(&ok);
    return ok ? QGuiApplication::primaryScreen()->grabWindow(id).toImage() : QImage();
}

// A right click on the icon, then the menu's second item ("Pause Capture" or "Resume Capture") by keyboard.
bool chooseSecondMenuItem(const QString& icon) {
    // The menu is a new window every time.
    const QStringList before = visibleStowlineWindows();
    const auto menuShown = [&] {
        const QStringList now = visibleStowlineWindows();
        return std::any_of(now.begin(), now.end(), [&](const QString& window) { return !before.contains(window); });
    };
    // A click that arrives while the previous menu is still letting go of the pointer is lost: click again.
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt)
        shown = click(icon, 3) && waitUntil(menuShown, 2000);
    return shown && runClient(u"xdotool"_s, {u"key"_s, u"Down"_s, u"Down"_s, u"Return"_s}).has_value();
}

} // namespace

TEST(TrayEndToEnd, TheMenuPausesCaptureAndTheIconTogglesThePanel) {
    TrayHost tray;
    ASSERT_TRUE(tray.start());
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    // In the background the tray icon is Stowline's only window.
    ASSERT_TRUE(waitUntil([&] { return visibleStowlineWindows().size() == 1; }));
    const QString icon = visibleStowlineWindows().first();

    // Another application is in front, so no copy is taken for Stowline's own (a window id left active by an
    // earlier test's Stowline can be reused by this one's).
    ClipboardClients clients;
    ASSERT_TRUE(clients.openPasteTarget());
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "while capturing"));
    ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"clips"_s) == u"1"_s; }));

    const QImage capturing = picture(icon);
    ASSERT_TRUE(chooseSecondMenuItem(icon));
    QSettings stored(home.preferencesPath(), QSettings::IniFormat);
    const auto captureEnabled = [&] {
        stored.sync();
        return stored.value(u"captureEnabled"_s).toString();
    };
    EXPECT_TRUE(waitUntil([&] { return captureEnabled() == u"false"_s; }));
    EXPECT_TRUE(waitUntil([&] { return picture(icon) != capturing; }));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "while paused"));

    // "Resume Capture": the icon returns, and the next copy is the second clip, not the third.
    ASSERT_TRUE(chooseSecondMenuItem(icon));
    EXPECT_TRUE(waitUntil([&] { return captureEnabled() == u"true"_s; }));
    EXPECT_TRUE(waitUntil([&] { return picture(icon) == capturing; }));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "after resuming"));
    EXPECT_TRUE(waitUntil([&] { return stowline.statusValue(u"clips"_s) == u"2"_s; }));
    EXPECT_EQ(stowline.listedKindsAndTitles(), (QStringList{u"text\tafter resuming"_s, u"text\twhile capturing"_s}));

    // A left click opens the panel, the next one closes it again.
    const QStringList before = visibleStowlineWindows();
    ASSERT_TRUE(click(icon, 1));
    EXPECT_TRUE(waitUntil([&] { return stowline.statusValue(u"panelRequests"_s) == u"1"_s; }));
    EXPECT_TRUE(waitUntil([&] { return visibleStowlineWindows().size() == before.size() + 1; }));
    ASSERT_TRUE(click(icon, 1));
    EXPECT_TRUE(waitUntil([&] { return visibleStowlineWindows() == before; }));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}
