#include "app/tray/StatusMenuController.h"

#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/ui/style/StowlineStyle.h"
#include "tests/app/Screenshots.h"
#include "tests/support/ClipBuilders.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

class StatusMenuControllerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Titles and shortcuts of the menu a right click opens now, separators as "-".
    QStringList openMenu() {
        controller.activate(QSystemTrayIcon::Context);
        QStringList entries;
        for (const QAction* action : controller.menu()->actions()) {
            if (action->isSeparator())
                entries.append(u"-"_s);
            else
                entries.append(action->text() + (action->shortcut().isEmpty()
                                                     ? QString()
                                                     : u" ["_s + action->shortcut().toString() + u']'));
        }
        return entries;
    }

    void choose(const QString& title) {
        for (QAction* action : controller.menu()->actions()) {
            if (action->text() == title) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no menu item " << title.toStdString();
    }

    QTemporaryDir dir;
    AppPreferences preferences{std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s))};
    HistoryStore store;
    int historyToggles = 0;
    int settingsOpened = 0;
    int quits = 0;
    StatusMenuController controller{preferences, store,
                                    StatusMenuController::Callbacks{.openHistory = [this] { ++historyToggles; },
                                                                    .openSettings = [this] { ++settingsOpened; },
                                                                    .quit = [this] { ++quits; }}};
};

} // namespace

TEST_F(StatusMenuControllerTest, TheMenuFollowsTheCaptureStateAndItsItemsAct) {
    const QStringList capturing{u"Open Stowline"_s,           u"Pause Capture"_s,       u"-"_s,
                                u"Settings\u2026 [Ctrl+,]"_s, u"Clear Non-Favorites"_s, u"-"_s,
                                u"Quit Stowline [Ctrl+Q]"_s};
    EXPECT_EQ(openMenu(), capturing);
    EXPECT_EQ(controller.trayIcon().toolTip(), u"Stowline is capturing"_s);

    choose(u"Pause Capture"_s);
    EXPECT_FALSE(preferences.captureEnabled());
    EXPECT_EQ(controller.trayIcon().toolTip(), u"Stowline capture is paused"_s);
    QStringList paused = capturing;
    paused[1] = u"Resume Capture"_s;
    EXPECT_EQ(openMenu(), paused);

    // The settings window's switch changes the icon too.
    preferences.setCaptureEnabled(true);
    EXPECT_EQ(controller.trayIcon().toolTip(), u"Stowline is capturing"_s);

    openMenu();
    choose(u"Open Stowline"_s);
    choose(u"Settings\u2026"_s);
    choose(u"Quit Stowline"_s);
    EXPECT_EQ(historyToggles, 1);
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(quits, 1);
}

TEST_F(StatusMenuControllerTest, ALeftClickAfterTheMenuTogglesThePanel) {
    openMenu();
    controller.activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(historyToggles, 1);
    // The two icons are different pictures.
    const QImage capturing = controller.trayIcon().icon().pixmap(22, 22).toImage();
    preferences.setCaptureEnabled(false);
    const QImage paused = controller.trayIcon().icon().pixmap(22, 22).toImage();
    EXPECT_FALSE(capturing.isNull());
    EXPECT_NE(capturing, paused);
}

TEST_F(StatusMenuControllerTest, ClearNonFavoritesAsksFirstAndKeepsFavourites) {
    const Timestamp now = Timestamp::now();
    store.capture(test::textClip(u"kept"_s, now), 0);
    store.capture(test::textClip(u"dropped"_s, now.addingSeconds(1)), 0);
    store.toggleFavorite(store.items().last().id());
    for (const QString& answer : {u"Cancel"_s, u"Clear Non-Favorites"_s}) {
        SCOPED_TRACE(answer.toStdString());
        openMenu();
        choose(u"Clear Non-Favorites"_s);
        // Nothing is gone until the question is answered.
        EXPECT_EQ(store.items().size(), 2);
        QMessageBox* alert = controller.clearAlert();
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->isVisible());
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == answer)
                button->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(controller.clearAlert());
    }
    ASSERT_EQ(store.items().size(), 1);
    EXPECT_EQ(store.items().first().title(), u"kept"_s);
}

TEST_F(StatusMenuControllerTest, Screenshots) {
    // Both icons on a light and on a dark panel.
    QImage panels(4 * 32, 32, QImage::Format_ARGB32);
    QPainter painter(&panels);
    painter.fillRect(0, 0, 64, 32, QColor(0xf2, 0xf2, 0xf2));
    painter.fillRect(64, 0, 64, 32, QColor(0x23, 0x23, 0x26));
    for (int panel = 0; panel < 2; ++panel) {
        preferences.setCaptureEnabled(true);
        painter.drawPixmap(panel * 64 + 5, 5, controller.trayIcon().icon().pixmap(22, 22));
        preferences.setCaptureEnabled(false);
        painter.drawPixmap(panel * 64 + 37, 5, controller.trayIcon().icon().pixmap(22, 22));
    }
    painter.end();
    QLabel icons;
    icons.setPixmap(QPixmap::fromImage(panels.scaled(panels.size() * 3)));
    test::saveScreenshot(icons, u"tray-icons"_s);

    test::inEachAppearance([&](Appearance appearance, const QString& suffix) {
        // The light one while capturing, the dark one while paused.
        preferences.setCaptureEnabled(appearance == Appearance::light);
        openMenu();
        test::saveScreenshot(*controller.menu(), u"tray-menu"_s + suffix);
        controller.menu()->hide();
        choose(u"Clear Non-Favorites"_s);
        ASSERT_TRUE(controller.clearAlert());
        test::saveScreenshot(*controller.clearAlert(), u"tray-clear-question"_s + suffix);
        controller.clearAlert()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
}
