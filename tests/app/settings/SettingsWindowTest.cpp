#include "app/preferences/PreferenceKeys.h"
#include "app/ui/settings/GeneralSettingsPane.h"
#include "app/ui/settings/HistorySettingsPane.h"
#include "app/ui/settings/NumericPreferenceField.h"
#include "app/ui/settings/PrivacySettingsPane.h"
#include "app/ui/settings/SettingsView.h"
#include "app/ui/settings/ShortcutsSettingsPane.h"
#include "app/ui/settings/StorageSummary.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/widgets/SegmentedControl.h"
#include "tests/app/Screenshots.h"
#include "tests/app/settings/SettingsFixture.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wait.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

class SettingsWindowTest : public test::SettingsFixture {};

} // namespace

TEST_F(SettingsWindowTest, OneWindowRemembersItsPaneAndSizeAcrossLaunches) {
    settings->show();
    QWidget* window = settings->window();
    EXPECT_EQ(window->windowTitle(), u"General \u2014 Stowline Settings"_s);
    EXPECT_EQ(window->size(), QSize(640, 580));
    EXPECT_EQ(window->minimumSize(), QSize(600, 500));

    view().paneSelector()->segment(1)->click();
    EXPECT_EQ(window->windowTitle(), u"History \u2014 Stowline Settings"_s);
    EXPECT_EQ(preferences->selectedSettingsTabID(), u"history"_s);
    window->resize(700, 620);
    window->close();
    EXPECT_FALSE(window->isVisible());

    settings->show(); // the same window, fresh content, the pane last chosen
    EXPECT_EQ(settings->window(), window);
    EXPECT_EQ(view().selectedPane(), SettingsPane::history);

    relaunch();
    settings->show();
    EXPECT_EQ(settings->window()->windowTitle(), u"History \u2014 Stowline Settings"_s);
    EXPECT_EQ(settings->window()->size(), QSize(700, 620));
}

TEST_F(SettingsWindowTest, LoginEntryFollowsTheSwitchOrTheSwitchGoesBackWithAnAlert) {
    QCheckBox* toggle = view().generalPane()->launchAtLoginToggle();
    ASSERT_TRUE(toggle->isChecked());
    toggle->click();
    EXPECT_FALSE(preferences->launchAtLogin());
    EXPECT_EQ(preferences->defaults().boolean(PreferenceKeys::launchAtLoginUserSet), true);
    EXPECT_FALSE(loginItem.exists());

    loginItem.failWith = LoginItemError::Step::write;
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(preferences->launchAtLogin());
    EXPECT_EQ(alert().windowTitle(), u"Settings"_s);
    EXPECT_EQ(alert().informativeText(), u"Stowline could not update the login item."_s);
    test::saveScreenshot(alert(), u"settings-alert-login-item"_s);
    clickAlertButton(u"OK"_s);
    EXPECT_FALSE(view().launchError());
}

TEST_F(SettingsWindowTest, ClearingAsksFirstOnlyWhenFavouritesGoToo) {
    const auto fill = [this] {
        store->clear(ClearScope::everything);
        store->capture(test::textClip(u"plain"_s), 0);
        const QUuid favourite = store->capture(test::textClip(u"kept"_s), 0);
        store->toggleFavorite(favourite);
    };
    fill();
    view().historyPane()->clearNonFavoritesButton()->click();
    EXPECT_EQ(test::titles(store->items()), QStringList({u"kept"_s}));

    fill();
    view().historyPane()->clearAllButton()->click();
    EXPECT_EQ(alert().text(), u"<b>Clear all clipboard history?</b>"_s);
    EXPECT_EQ(alert().informativeText(), SettingsView::clearAllMessage());
    test::saveScreenshot(alert(), u"settings-alert-clear-all"_s);
    clickAlertButton(u"Cancel"_s);
    EXPECT_EQ(store->items().size(), 2);
    view().historyPane()->clearAllButton()->click();
    clickAlertButton(u"Clear All"_s);
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(SettingsWindowTest, KeyringSwitchWaitsForConfirmationAndFollowsOnlyAChangeThatWorked) {
    store->capture(test::textClip(u"secret"_s), 0);
    PrivacySettingsPane* privacy = view().privacyPane();
    QCheckBox* toggle = privacy->keyringToggle();
    EXPECT_EQ(privacy->protectionNote()->text(), PlatformWording::text(Wording::localFileProtectionNote));

    toggle->click();
    EXPECT_FALSE(toggle->isChecked()); // nothing happens before "Enable"
    EXPECT_EQ(alert().windowTitle(), u"Enable keyring protection?"_s);
    test::saveScreenshot(alert(), u"settings-alert-keyring"_s);
    clickAlertButton(u"Cancel"_s);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(persistence->protectionMode(), ArchiveProtectionMode::localFile);

    secrets.failWith = SecretStoreError{SecretStoreError::Kind::locked, {}};
    toggle->click();
    clickAlertButton(u"Enable"_s);
    ASSERT_TRUE(test::waitUntil([&] { return !persistence->isChangingProtection(); }));
    EXPECT_EQ(alert().windowTitle(), u"Settings"_s);
    EXPECT_EQ(alert().informativeText(), SettingsView::protectionFailedMessage());
    test::saveScreenshot(alert(), u"settings-alert-protection-failed"_s);
    clickAlertButton(u"OK"_s);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(preferences->archiveProtectionModeID(), u"localFile"_s);

    secrets.failWith.reset();
    toggle->click();
    clickAlertButton(u"Enable"_s);
    EXPECT_TRUE(privacy->progress()->isVisibleTo(privacy));
    EXPECT_FALSE(toggle->isEnabled());
    ASSERT_TRUE(test::waitUntil([&] { return !persistence->isChangingProtection(); }));
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(toggle->isEnabled());
    EXPECT_FALSE(privacy->progress()->isVisibleTo(privacy));
    EXPECT_EQ(preferences->archiveProtectionModeID(), u"keychain"_s);
    EXPECT_EQ(privacy->protectionNote()->text(), PlatformWording::text(Wording::keychainProtectionNote));

    toggle->click(); // off: at once, without a question
    ASSERT_TRUE(test::waitUntil([&] { return preferences->archiveProtectionModeID() == u"localFile"_s; }));
    EXPECT_FALSE(toggle->isChecked());
}

TEST_F(SettingsWindowTest, NoLimitSwitchesShowTheFieldOnlyWhileOffAndAChangedLimitIsStoredAndApplied) {
    HistorySettingsPane* history = view().historyPane();
    EXPECT_TRUE(history->keepForeverToggle()->isChecked());
    EXPECT_FALSE(history->daysField()->isVisibleTo(history));
    history->keepForeverToggle()->click();
    EXPECT_EQ(preferences->retentionDays(), 30);
    EXPECT_TRUE(history->daysField()->isVisibleTo(history));
    EXPECT_EQ(history->daysField()->box()->text(), u"30"_s);
    history->keepForeverToggle()->click();
    EXPECT_EQ(preferences->retentionDays(), 0);
    EXPECT_FALSE(history->daysField()->isVisibleTo(history));

    history->unlimitedItemsToggle()->click();
    EXPECT_EQ(history->itemsField()->box()->text(), u"500"_s);
    history->itemsField()->box()->setText(u"3"_s);
    Q_EMIT history->itemsField()->box()->returnPressed();
    EXPECT_EQ(preferences->historyLimit(), 3);
    for (int i = 0; i < 5; ++i)
        store->capture(test::textClip(u"clip %1"_s.arg(i), Timestamp{double(1000 + i)}), preferences->historyLimit());
    EXPECT_EQ(store->items().size(), 3);
    relaunch();
    EXPECT_EQ(preferences->historyLimit(), 3);
    EXPECT_EQ(view().historyPane()->itemsField()->box()->text(), u"3"_s);
}

TEST_F(SettingsWindowTest, AHistoryLimitAppliesOnlyWhenCommittedAndAsksBeforeItRemovesClips) {
    for (int i = 0; i < 15; ++i)
        store->capture(test::textClip(u"clip %1"_s.arg(i), Timestamp{double(1000 + i)}), 0);
    store->toggleFavorite(store->items().last().id());
    HistorySettingsPane* history = view().historyPane();
    history->unlimitedItemsToggle()->click();
    QLineEdit* box = history->itemsField()->box();
    const qint64 before = preferences->historyLimit();

    // Typing is not committing, and what does not parse never becomes a limit.
    for (const QString& typed : {u"3"_s, u"3."_s, u"3.5"_s, u"1e3"_s}) {
        box->setText(typed);
        EXPECT_EQ(preferences->historyLimit(), before) << typed.toStdString();
    }
    Q_EMIT box->returnPressed();
    EXPECT_EQ(preferences->historyLimit(), before);
    EXPECT_EQ(box->text(), QString::number(before));
    EXPECT_FALSE(history->limitAlert());

    // A limit that removes clips asks first; Cancel keeps the limit and every clip.
    for (const QString& answer : {u"Cancel"_s, u"Remove"_s}) {
        SCOPED_TRACE(answer.toStdString());
        box->setText(u"3"_s);
        Q_EMIT box->returnPressed();
        QMessageBox* alert = history->limitAlert();
        ASSERT_TRUE(alert);
        // 15 clips, one a favourite: a limit of 3 keeps the favourite and the two newest others.
        EXPECT_EQ(alert->text(), u"Remove 12 clips?"_s);
        EXPECT_EQ(store->items().size(), 15);
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == answer)
                button->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(preferences->historyLimit(), 3);
    EXPECT_EQ(store->items().size(), 3);
    EXPECT_TRUE(store->items().first().isFavorite());
    EXPECT_EQ(box->text(), u"3"_s);

    // Raising it removes nothing and asks nothing.
    box->setText(u"40"_s);
    Q_EMIT box->returnPressed();
    EXPECT_FALSE(history->limitAlert());
    EXPECT_EQ(preferences->historyLimit(), 40);
}

TEST_F(SettingsWindowTest, StorageSummaryCountsInDecimalUnits) {
    store->capture(test::textClip(u"twelve bytes"_s), 0);
    store->capture(test::imageClip(QByteArray(1'500'000, 'x')), 0);
    StorageSummary* summary = view().historyPane()->storageSummary();
    view().selectPane(SettingsPane::history);
    EXPECT_EQ(summary->clipsText(), u"2 clips"_s);
    EXPECT_TRUE(summary->payloadsText().startsWith(u"Captured payloads 1.5 MB"_s))
        << summary->payloadsText().toStdString();
    EXPECT_EQ(summary->imagesText(), u"Images 1 \u2022 1.5 MB"_s);
    persistence->flush();
    ASSERT_TRUE(test::waitUntil([&] { return persistence->archiveDiskBytes() > 0; }));
    EXPECT_TRUE(summary->archiveText().startsWith(u"Encrypted archive "_s));
    EXPECT_NE(summary->archiveText(), u"Encrypted archive Zero KB"_s);
}

TEST_F(SettingsWindowTest, EveryOtherControlWritesItsPreference) {
    GeneralSettingsPane* general = view().generalPane();
    general->appearancePicker()->segment(2)->click();
    EXPECT_EQ(preferences->appearance(), AppearancePreference::dark);
    general->inactivityToggle()->click();
    EXPECT_FALSE(general->minutesField()->isEnabled());
    general->inactivityToggle()->click();
    general->minutesField()->box()->setText(u"10"_s);
    EXPECT_EQ(preferences->inactivitySeconds(), 600.0);
    preferences->setInactivitySeconds(90); // shown rounded, at least one minute
    EXPECT_EQ(general->minutesField()->box()->text(), u"2"_s);
    preferences->setInactivitySeconds(20);
    EXPECT_EQ(general->minutesField()->box()->text(), u"1"_s);
    // The largest number of minutes there is: stored in seconds beyond it, and shown back as typed.
    general->minutesField()->box()->setText(u"9223372036854775807"_s);
    EXPECT_EQ(preferences->inactivitySeconds(), 9223372036854775807.0 * 60);
    preferences->setInactivitySeconds(20);
    preferences->setInactivitySeconds(1e300);
    EXPECT_EQ(general->minutesField()->box()->text(), u"9223372036854775807"_s);

    view().historyPane()->fontSizeField()->box()->setText(u"13,5"_s);
    EXPECT_EQ(preferences->previewFontSize(), 13.5);

    PrivacySettingsPane* privacy = view().privacyPane();
    EXPECT_FALSE(privacy->exclusionsEditor()->isEnabled());
    privacy->exclusionsToggle()->click();
    EXPECT_TRUE(privacy->exclusionsEditor()->isEnabled());
    privacy->exclusionsEditor()->setPlainText(u"org.keepassxc.KeePassXC\n"_s);
    EXPECT_EQ(preferences->excludedSet(), QSet<QString>({u"org.keepassxc.KeePassXC"_s}));
    privacy->reviewPermissionsButton()->click();
    EXPECT_EQ(reviewCount, 1);
}

TEST_F(SettingsWindowTest, AboutAndTheCloseKeys) {
    settings->show();
    view().showAbout();
    EXPECT_EQ(alert().windowTitle(), u"About Stowline"_s);
    alert().close();
    // Escape and Ctrl+W close the window as its close button does; it stays for the next showing.
    for (const QKeyCombination keys :
         {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_W)}) {
        settings->show();
        QWidget* window = settings->window();
        ASSERT_TRUE(window->isVisible());
        QTest::keyClick(window, keys.key(), keys.keyboardModifiers());
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(settings->window(), window);
    }
}
