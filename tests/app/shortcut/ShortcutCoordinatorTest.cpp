#include "app/shortcut/ShortcutCoordinator.h"

#include "app/notices/Notices.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

const HotKeyConfiguration kDefault = HotKeyConfiguration::defaultShortcut();
const HotKeyConfiguration kAlternate = HotKeyConfiguration::alternateShortcut();
// Ctrl+Alt+K and Alt+U (one modifier).
const HotKeyConfiguration kControlAltK{40, HotKeyConfiguration::controlKey | HotKeyConfiguration::optionKey,
                                       u"Ctrl+Alt+K"_s};
const HotKeyConfiguration kAltU{32, HotKeyConfiguration::optionKey, u"Alt+U"_s};

HotKey keyOf(const HotKeyConfiguration& shortcut) {
    return *GlobalHotKey::hotKeyFor(shortcut);
}

// The services a coordinator needs, over a preference file that the test may fill before start-up.
class ShortcutCoordinatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::unique_ptr<AppPreferences> openPreferences() {
        return std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    }

    void storeShortcuts(const HotKeyConfiguration& shortcut, const std::optional<HotKeyConfiguration>& proven) {
        auto stored = openPreferences();
        stored->setShortcut(shortcut);
        if (proven)
            stored->setLastProvenShortcut(*proven);
    }

    void startUp(bool background = true) {
        preferences = openPreferences();
        coordinator = std::make_unique<ShortcutCoordinator>(
            hotKey, *preferences, notices, [this] { return accessibility.isAvailable(); }, background);
        permissionRequests =
            std::make_unique<QSignalSpy>(coordinator.get(), &ShortcutCoordinator::permissionWindowRequested);
        coordinator->start();
    }

    QString lastError() const { return notices.current() ? notices.current()->text : QString(); }

    QTemporaryDir dir;
    FakeHotKeyService service;
    FakeKeystrokePoster accessibility;
    GlobalHotKey hotKey{service, accessibility, [] {}};
    Notices notices;
    std::unique_ptr<AppPreferences> preferences;
    std::unique_ptr<ShortcutCoordinator> coordinator;
    std::unique_ptr<QSignalSpy> permissionRequests;
};

} // namespace

TEST_F(ShortcutCoordinatorTest, TheStoredShortcutBecomesLiveAndProven) {
    storeShortcuts(kControlAltK, std::nullopt);
    startUp();
    EXPECT_EQ(coordinator->activeShortcut(), kControlAltK);
    EXPECT_EQ(hotKey.registeredShortcut(), kControlAltK);
    EXPECT_EQ(preferences->lastProvenShortcut(), kControlAltK);
    EXPECT_FALSE(notices.current());
}

TEST_F(ShortcutCoordinatorTest, ATakenDefaultAtStartUpFallsBackToTheAlternate) {
    service.setTaken({keyOf(kDefault)});
    startUp();
    EXPECT_EQ(coordinator->activeShortcut(), kAlternate);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kAlternate)});
    EXPECT_EQ(preferences->shortcut(), kAlternate);
    EXPECT_EQ(preferences->lastProvenShortcut(), kAlternate);
    EXPECT_EQ(lastError(), u"Alt+Shift+W is already used by another application, so Stowline is using "
                           u"Shift+Super+V."_s);
    // Stored at once: the next start reads the fallback.
    EXPECT_EQ(openPreferences()->shortcut(), kAlternate);
}

TEST_F(ShortcutCoordinatorTest, EverythingTakenLeavesNoShortcutAndSaysSo) {
    service.setTaken({keyOf(kDefault), keyOf(kAlternate)});
    startUp();
    EXPECT_FALSE(coordinator->activeShortcut());
    EXPECT_TRUE(service.registered().isEmpty());
    EXPECT_EQ(lastError(), u"Stowline could not register Alt+Shift+W or either built-in shortcut. Choose another "
                           u"shortcut in Settings."_s);
}

TEST_F(ShortcutCoordinatorTest, ATakenCustomShortcutAtStartUpFallsBackWithoutTheDefaultMessage) {
    storeShortcuts(kControlAltK, std::nullopt);
    service.setTaken({keyOf(kControlAltK)});
    startUp();
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_EQ(preferences->shortcut(), kDefault);
    EXPECT_EQ(lastError(), u"Ctrl+Alt+K is already used by another application. The previous working shortcut "
                           u"remains active; record another in Settings."_s);
}

TEST_F(ShortcutCoordinatorTest, ChoosingATakenShortcutKeepsTheLiveOneAndRevertsThePreference) {
    startUp();
    ASSERT_EQ(coordinator->activeShortcut(), kDefault);
    service.setTaken({keyOf(kControlAltK)});
    preferences->setShortcut(kControlAltK);
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kDefault)});
    EXPECT_EQ(preferences->shortcut(), kDefault);
    EXPECT_EQ(openPreferences()->shortcut(), kDefault);
    EXPECT_TRUE(lastError().startsWith(u"Ctrl+Alt+K is already used by another application."));

    // A free choice goes live and replaces the grab.
    preferences->setShortcut(kAlternate);
    EXPECT_EQ(coordinator->activeShortcut(), kAlternate);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kAlternate)});
    EXPECT_EQ(preferences->lastProvenShortcut(), kAlternate);
}

TEST_F(ShortcutCoordinatorTest, OneModifierShortcutWithoutPermissionAtStartUpUsesTheLastProvenOne) {
    storeShortcuts(kAltU, kControlAltK);
    accessibility.setAvailable(false);
    startUp(false);
    EXPECT_EQ(coordinator->activeShortcut(), kControlAltK);
    // The user's choice stays, waiting for the permission.
    EXPECT_EQ(preferences->shortcut(), kAltU);
    EXPECT_EQ(preferences->lastProvenShortcut(), kControlAltK);
    EXPECT_EQ(lastError(), u"Alt+U needs Accessibility access. Allow it to use this shortcut, or keep Ctrl+Alt+K."_s);
    EXPECT_EQ(permissionRequests->count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(permissionRequests->count(), 1);
}

TEST_F(ShortcutCoordinatorTest, BackgroundStartNeverAsksForThePermissionWindow) {
    storeShortcuts(kAltU, std::nullopt);
    accessibility.setAvailable(false);
    service.setTaken({keyOf(kAltU)});
    startUp(true);
    // Without a proven shortcut, the preference default is the first candidate.
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_TRUE(lastError().contains(u"needs Accessibility access"));
    QCoreApplication::processEvents();
    EXPECT_EQ(permissionRequests->count(), 0);
}

TEST_F(ShortcutCoordinatorTest, OneModifierShortcutAndNoCandidateLeavesNothingLive) {
    storeShortcuts(kAltU, kDefault);
    accessibility.setAvailable(false);
    service.setTaken({keyOf(kDefault), keyOf(kAlternate)});
    startUp();
    EXPECT_FALSE(coordinator->activeShortcut());
    EXPECT_EQ(lastError(),
              u"Stowline could not register either built-in shortcut. Choose another shortcut in Settings."_s);
}

TEST_F(ShortcutCoordinatorTest, ChoosingAOneModifierShortcutWithoutPermissionKeepsTheLiveOne) {
    startUp();
    accessibility.setAvailable(false);
    preferences->setShortcut(kAltU);
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kDefault)});
    EXPECT_EQ(lastError(), u"Alt+U needs Accessibility access. Allow it to use this shortcut, or keep Alt+Shift+W."_s);
    QCoreApplication::processEvents();
    EXPECT_EQ(permissionRequests->count(), 1);

    // Once granted, choosing it again makes it live and the permission message goes away.
    accessibility.setAvailable(true);
    QSignalSpy changes(coordinator.get(), &ShortcutCoordinator::permissionConfigurationChanged);
    preferences->setShortcut(kAltU);
    EXPECT_EQ(coordinator->activeShortcut(), kAltU);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kAltU)});
    EXPECT_FALSE(notices.current());
    QCoreApplication::processEvents();
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(ShortcutCoordinatorTest, ASuccessfulRegistrationClearsOnlyPermissionMessagesWhateverTheirWording) {
    startUp();
    // Decided by kind: a permission message worded without "Accessibility" goes, another message using the word stays.
    const UserMessage saveFailed{UserMessage::Kind::saveFailed, u"Accessibility of the archive failed."_s};
    notices.show(saveFailed);
    preferences->setShortcut(kControlAltK);
    EXPECT_EQ(coordinator->activeShortcut(), kControlAltK);
    EXPECT_EQ(notices.current(), saveFailed);

    notices.show(UserMessage{UserMessage::Kind::shortcutNeedsAccessibility, u"Alt+U waits for a permission."_s});
    preferences->setShortcut(kDefault);
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_FALSE(notices.current());
}

TEST_F(ShortcutCoordinatorTest, TheRejectedShortcutIsNeverAFallbackCandidate) {
    preferences = openPreferences();
    ShortcutCoordinator direct(
        hotKey, *preferences, notices, [] { return true; }, true);
    direct.activateBuiltInFallback(kDefault);
    // The rejected default is never tried again; the alternate takes over.
    EXPECT_EQ(direct.activeShortcut(), kAlternate);
    EXPECT_EQ(preferences->shortcut(), kAlternate);
    EXPECT_TRUE(lastError().endsWith(u"so Stowline is using Shift+Super+V."));
}

TEST_F(ShortcutCoordinatorTest, RevertingAOneModifierChoiceReturnsToAShortcutThatNeedsNoPermission) {
    struct Case {
        const char* name;
        std::optional<HotKeyConfiguration> proven;
        QList<HotKey> taken;
        HotKeyConfiguration expected;
    };
    const Case cases[] = {
        {"the last proven shortcut", kControlAltK, {}, kControlAltK},
        // Proven is the one-modifier shortcut itself: the default is the way back.
        {"the default", std::nullopt, {}, kDefault},
        {"a built-in when the default is taken", std::nullopt, {keyOf(kDefault)}, kAlternate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        service.setTaken({});
        storeShortcuts(kAltU, c.proven);
        startUp();
        if (c.proven)
            preferences->setLastProvenShortcut(*c.proven);
        ASSERT_EQ(coordinator->activeShortcut(), kAltU);
        accessibility.setAvailable(false);
        service.setTaken(c.taken);
        notices.post(Notice::shortcutNeedsAccessibility, {kAltU.displayText, kDefault.displayText});

        coordinator->revertPermissionDependentChoices();
        EXPECT_EQ(coordinator->activeShortcut(), c.expected);
        EXPECT_EQ(preferences->shortcut(), c.expected);
        EXPECT_EQ(openPreferences()->shortcut(), c.expected);
        EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(c.expected)});
        if (c.taken.isEmpty()) {
            EXPECT_FALSE(notices.current());
        }
        accessibility.setAvailable(true);
        hotKey.unregister();
    }
}
