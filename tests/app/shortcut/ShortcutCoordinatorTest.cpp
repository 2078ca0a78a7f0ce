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

TEST_F(ShortcutCoordinatorTest, TheStartUpDecisionRegistersWhatItCanAndSaysWhy) {
    struct Case {
        const char* name;
        std::optional<HotKeyConfiguration> stored;
        std::optional<HotKeyConfiguration> proven;
        bool permission;
        QList<HotKey> taken;
        bool background;
        std::optional<HotKeyConfiguration> live;
        // The preference afterwards: the user's choice waits for a permission, a taken one is replaced at once.
        HotKeyConfiguration preference;
        QString message;
        int permissionWindows;
    };
    const QString needsAccess = u"Alt+U needs paste access. Allow it to use this shortcut, or keep "_s;
    // clang-format off
    const Case cases[] = {
        {"the stored shortcut", kControlAltK, {}, true, {}, true, kControlAltK, kControlAltK, {}, 0},
        {"a taken default", {}, {}, true, {keyOf(kDefault)}, true, kAlternate, kAlternate,
         u"Alt+Shift+W is already used by another application, so Stowline is using Shift+Super+V."_s, 0},
        {"everything taken", {}, {}, true, {keyOf(kDefault), keyOf(kAlternate)}, true, {}, kDefault,
         u"Stowline could not register Alt+Shift+W or either built-in shortcut. Choose another shortcut in "
         u"Settings."_s, 0},
        {"a taken custom shortcut", kControlAltK, {}, true, {keyOf(kControlAltK)}, true, kDefault, kDefault,
         u"Ctrl+Alt+K is already used by another application. The previous working shortcut remains active; "
         u"record another in Settings."_s, 0},
        {"one modifier without permission", kAltU, kControlAltK, false, {}, false, kControlAltK, kAltU,
         needsAccess + u"Ctrl+Alt+K."_s, 1},
        // Without a proven shortcut the preference default is the first candidate; in the background nothing asks.
        {"one modifier, taken, in the background", kAltU, {}, false, {keyOf(kAltU)}, true, kDefault, kAltU,
         needsAccess + u"Alt+Shift+W."_s, 0},
        {"one modifier and no candidate", kAltU, kDefault, false, {keyOf(kDefault), keyOf(kAlternate)}, false, {},
         kAltU, u"Stowline could not register either built-in shortcut. Choose another shortcut in Settings."_s, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        coordinator.reset();
        preferences.reset();
        hotKey.unregister();
        ASSERT_TRUE(QDir(dir.path()).removeRecursively() && QDir().mkpath(dir.path()));
        notices.show(std::nullopt);
        if (c.stored)
            storeShortcuts(*c.stored, c.proven);
        accessibility.setAvailable(c.permission);
        service.setTaken(c.taken);
        startUp(c.background);
        EXPECT_EQ(coordinator->activeShortcut(), c.live);
        EXPECT_EQ(service.registered(), c.live ? QList<HotKey>{keyOf(*c.live)} : QList<HotKey>());
        EXPECT_EQ(preferences->shortcut(), c.preference);
        // Stored at once: the next start reads it.
        EXPECT_EQ(openPreferences()->shortcut(), c.preference);
        if (c.live && c.permission) {
            EXPECT_EQ(preferences->lastProvenShortcut(), *c.live);
        }
        EXPECT_EQ(lastError(), c.message);
        EXPECT_EQ(permissionRequests->count(), 0) << "asked for later, never from inside the decision";
        QCoreApplication::processEvents();
        EXPECT_EQ(permissionRequests->count(), c.permissionWindows);
    }
}

TEST_F(ShortcutCoordinatorTest, ChoosingAOneModifierShortcutWithoutPermissionKeepsTheLiveOne) {
    startUp();
    accessibility.setAvailable(false);
    preferences->setShortcut(kAltU);
    EXPECT_EQ(coordinator->activeShortcut(), kDefault);
    EXPECT_EQ(service.registered(), QList<HotKey>{keyOf(kDefault)});
    EXPECT_EQ(lastError(), u"Alt+U needs paste access. Allow it to use this shortcut, or keep Alt+Shift+W."_s);
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
