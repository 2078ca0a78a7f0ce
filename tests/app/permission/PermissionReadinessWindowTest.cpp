#include "app/ui/permission/PermissionReadinessWindowManager.h"

#include "app/actions/ClipboardActions.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceKeys.h"
#include "app/ui/permission/PermissionReadinessView.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/style/StowlineStyle.h"
#include "tests/app/Screenshots.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

const HotKeyConfiguration kAltU{32, HotKeyConfiguration::optionKey, u"Alt+U"_s};

// The window over real preferences in a temporary file, with the accessibility stand-in under the test's control.
class PermissionReadinessWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        accessibility.setAvailable(false);
        actions.refreshAccessibility();
    }

    PermissionReadinessView* view() const { return manager.window() ? manager.window()->view() : nullptr; }

    QStringList visibleTexts() const {
        QStringList texts;
        for (const QLabel* label : view()->findChildren<QLabel*>()) {
            if (label->isVisibleTo(manager.window()) && !label->text().isEmpty())
                texts.append(label->text());
        }
        return texts;
    }

    QString dismissed() {
        return preferences.defaults().string(PreferenceKeys::dismissedPermissionSignature).value_or(QString());
    }

    QTemporaryDir dir;
    AppPreferences preferences{std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s))};
    FakePasteboard pasteboard;
    FakeKeystrokePoster accessibility;
    ClipboardActions actions{pasteboard, accessibility};
    int granted = 0;
    int declined = 0;
    PermissionReadinessWindowManager manager{preferences, actions, [this] { ++granted; }, [this] { ++declined; }};
};

} // namespace

TEST_F(PermissionReadinessWindowTest, NeededOnlyForAOneModifierShortcutWithoutAccess) {
    // Instant paste alone never asks.
    preferences.setInstantPaste(true);
    EXPECT_FALSE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    EXPECT_FALSE(manager.window());

    preferences.setShortcut(kAltU);
    accessibility.setAvailable(true);
    EXPECT_FALSE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    EXPECT_FALSE(manager.window());

    accessibility.setAvailable(false);
    ASSERT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    EXPECT_TRUE(manager.isWindowVisible());
    EXPECT_EQ(manager.window()->windowTitle(), u"Finish setting up Stowline"_s);
    EXPECT_EQ(manager.window()->size(), QSize(460, 430));
    EXPECT_EQ(manager.requestState().phase(), PermissionRequestPhase::presented);
    EXPECT_EQ(preferences.defaults().string(PreferenceKeys::permissionRequirementSignature),
              u"accessibility:singleModifierShortcut,instantPaste"_s);

    const QStringList texts = visibleTexts();
    for (const QString& expected : {u"Finish setting up Stowline"_s, PlatformWording::text(Wording::permissionNeeded),
                                    PlatformWording::text(Wording::permissionName),
                                    u"Recognize your one-modifier global shortcut in every app."_s,
                                    u"Paste a selected clip into the app you were using."_s}) {
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    }
    EXPECT_FALSE(texts.contains(PlatformWording::text(Wording::permissionCompleteInSettings)));
    EXPECT_EQ(view()->declineButton()->text(), u"Use Previous Shortcut"_s);
    EXPECT_EQ(view()->primaryButton()->text(), u"Check Again"_s);
}

TEST_F(PermissionReadinessWindowTest, CheckingAgainWaitsThenClosesOnceAccessArrives) {
    preferences.setShortcut(kAltU);
    int completions = 0;
    ASSERT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced, [&] { ++completions; }));

    QTest::mouseClick(view()->primaryButton(), Qt::LeftButton);
    EXPECT_TRUE(view()->requestSent());
    EXPECT_EQ(manager.requestState().phase(), PermissionRequestPhase::awaitingSystem);
    EXPECT_TRUE(visibleTexts().contains(PlatformWording::text(Wording::permissionCompleteInSettings)));

    view()->checkAccess();
    EXPECT_TRUE(manager.isWindowVisible());
    accessibility.setAvailable(true);
    // One period of the check: the window closes by itself and the waiting shortcut may go live.
    view()->checkAccess();
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(declined, 0);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(manager.requestState().phase(), PermissionRequestPhase::idle);
}

TEST_F(PermissionReadinessWindowTest, EscapeAndTheCloseButtonDeclineOnce) {
    preferences.setShortcut(kAltU);
    ASSERT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    QTest::keyClick(manager.window(), Qt::Key_Escape);
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_EQ(declined, 1);
    EXPECT_EQ(granted, 0);
    // A second close request with no open request does nothing.
    Q_EMIT manager.window()->closeRequested();
    EXPECT_EQ(declined, 1);

    ASSERT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    manager.window()->close();
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_EQ(declined, 2);
}

TEST_F(PermissionReadinessWindowTest, ADismissedSignatureSuppressesOnlyUnforcedShowings) {
    preferences.setShortcut(kAltU);
    preferences.notePermissionRequirements(u"accessibility:singleModifierShortcut"_s);
    preferences.defaults().setString(PreferenceKeys::dismissedPermissionSignature,
                                     u"accessibility:singleModifierShortcut"_s);
    manager.configurationDidChange();
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_FALSE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::unlessDismissed));
    EXPECT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    manager.close(false);

    // A new signature forgets the dismissal, so the change shows the window.
    preferences.setInstantPaste(true);
    manager.configurationDidChange();
    EXPECT_TRUE(dismissed().isEmpty());
    ASSERT_TRUE(manager.isWindowVisible());
    EXPECT_EQ(view()->declineButton()->text(), u"Use Previous Shortcut"_s);

    // An open window is rebuilt for new requirements, and closes once nothing needs the access.
    preferences.setShortcut(HotKeyConfiguration::defaultShortcut());
    manager.configurationDidChange();
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_EQ(granted, 0);
}

TEST(PermissionReadinessView, AccessAlreadyThereWhenShownOffersContinue) {
    int granted = 0;
    PermissionReadinessView view(PermissionReadinessRequirements({AccessibilityPurpose::instantPaste}),
                                 {.isAccessibilityGranted = [] { return true; },
                                  .requestAccessibility = {},
                                  .permissionGranted = [&] { ++granted; },
                                  .notNow = {}});
    EXPECT_EQ(view.declineButton()->text(), u"Not Now"_s);
    view.show();
    EXPECT_EQ(view.primaryButton()->text(), u"Continue"_s);
    QTest::mouseClick(view.primaryButton(), Qt::LeftButton);
    EXPECT_EQ(granted, 1);
}

TEST_F(PermissionReadinessWindowTest, AReviewShowsTheWindowAlsoWhenNothingIsMissing) {
    // Nothing needs the access: a forced showing has nothing to ask, a review still shows what is needed.
    EXPECT_FALSE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::forced));
    ASSERT_TRUE(manager.showIfNeeded(PermissionReadinessWindowManager::Showing::review));
    EXPECT_TRUE(visibleTexts().contains(PlatformWording::text(Wording::permissionNotNeeded)));
    EXPECT_FALSE(view()->declineButton()->isVisible());
    QTest::keyClick(manager.window(), Qt::Key_Escape);
    EXPECT_FALSE(manager.isWindowVisible());
    EXPECT_EQ(declined, 0);
}
