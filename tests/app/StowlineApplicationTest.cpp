#include "app/StowlineApplication.h"

#include "app/actions/ClipboardActions.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/instance/InstanceCommands.h"
#include "app/notices/Notices.h"
#include "app/platform/fake/FakeFloatingWindows.h"
#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/platform/xdg/XdgAutostartEntry.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/tray/StatusMenuController.h"
#include "app/ui/history/HistoryWindowManager.h"
#include "app/ui/permission/PermissionReadinessView.h"
#include "app/ui/permission/PermissionReadinessWindowManager.h"
#include "app/ui/settings/SettingsWindowManager.h"
#include "app/ui/widgets/FloatingWindow.h"
#include "core/archive/StowlineArchive.h"
#include "tests/support/AppFixture.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QAbstractButton>
#include <QSignalSpy>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
using stowline::test::imageClip;
using stowline::test::textClip;
using stowline::test::titles;
using stowline::test::waitUntil;

namespace {

// A start-up over fake desktop services and real files in a temporary home.
class StowlineApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(u"config"_s);
    }

    QString preferencesFile() const { return home.filePath(u"config/Stowline.conf"_s); }
    QString archiveDirectory() const { return home.filePath(u"data"_s); }
    QString autostartFile() const { return home.filePath(u"config/autostart/org.stowline.Stowline.desktop"_s); }

    std::unique_ptr<AppPreferences> preferences() const {
        return std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(preferencesFile()));
    }

    // What the next start-up would read from disk.
    QList<ClipItem> stored() { return test::stored(archiveDirectory(), readSecrets); }

    PlatformServices fakeServices(const QString& configHome = {}) {
        PlatformServices services;
        auto hotKeys = std::make_unique<FakeHotKeyService>();
        hotKeyService = hotKeys.get();
        services.hotKeys = std::move(hotKeys);
        auto keystrokes = std::make_unique<FakeKeystrokePoster>();
        keystrokePoster = keystrokes.get();
        services.keystrokes = std::move(keystrokes);
        auto secretStore = std::make_unique<FakeSecretStore>();
        secrets = secretStore.get();
        services.secrets = std::move(secretStore);
        services.loginItem =
            std::make_unique<XdgAutostartEntry>(configHome.isEmpty() ? home.filePath(u"config"_s) : configHome);
        auto clipboard = std::make_unique<FakePasteboard>();
        pasteboard = clipboard.get();
        services.pasteboard = std::move(clipboard);
        services.frontmost = std::make_unique<FakeFrontmostApplication>();
        auto windows = std::make_unique<FakeFloatingWindows>();
        floatingWindows = windows.get();
        services.floatingWindows = std::move(windows);
        auto recognizer = std::make_unique<FakeTextRecognizer>();
        textRecognizer = recognizer.get();
        services.textRecognizer = std::move(recognizer);
        return services;
    }

    std::unique_ptr<StowlineApplication> launch(bool background, const QString& configHome = {},
                                                bool accessibility = true) {
        PlatformServices services = fakeServices(configHome);
        keystrokePoster->setAvailable(accessibility);
        auto application = std::make_unique<StowlineApplication>(
            std::move(services), StowlineApplication::Options{background, preferencesFile(), archiveDirectory()});
        panelRequests = std::make_unique<QSignalSpy>(application.get(), &StowlineApplication::panelRequested);
        application->start();
        // The stored history is read, then upgraded, on the save queue while start-up goes on.
        application->persistence().waitForQueuedSaves();
        application->persistence().waitForQueuedSaves();
        return application;
    }

    // Another application copies; the monitor's next poll asks for it and the clipboard has answered.
    static void copyAndPoll(StowlineApplication& application, FakePasteboard& clipboard, const QString& text) {
        clipboard.copy({test::textRepresentation(text)});
        application.monitor().tick();
        clipboard.deliverSnapshots();
    }

    static InstanceReply ask(StowlineApplication& application, InstanceCommand command,
                             const QStringList& arguments = {}, const QString& activationToken = {}) {
        std::optional<InstanceReply> reply;
        InstanceCommands(application.instanceServices())
            .handle({command, arguments, activationToken}, [&](const InstanceReply& r) { reply = r; });
        EXPECT_TRUE(reply);
        return reply.value_or(InstanceReply{255, {}});
    }

    QTemporaryDir home;
    FakeSecretStore readSecrets;
    FakeHotKeyService* hotKeyService = nullptr;
    FakeKeystrokePoster* keystrokePoster = nullptr;
    FakeFloatingWindows* floatingWindows = nullptr;
    FakeSecretStore* secrets = nullptr;
    FakePasteboard* pasteboard = nullptr;
    FakeTextRecognizer* textRecognizer = nullptr;
    std::unique_ptr<QSignalSpy> panelRequests;
};

} // namespace

TEST_F(StowlineApplicationTest, PlainStartShowsThePanelAndLaterStartsAskForItAgain) {
    auto application = launch(false);
    EXPECT_EQ(panelRequests->count(), 1);
    // Each start hands on its activation token for the window it brings forward; a status request brings none.
    for (const InstanceCommand command : {InstanceCommand::show, InstanceCommand::toggle})
        EXPECT_EQ(ask(*application, command, {}, InstanceProtocol::nameOf(command) + u"-token"_s).status, 0);
    EXPECT_EQ(application->panelRequestCount(), 3);
    // Shown, shown again, then toggled away.
    EXPECT_TRUE(ask(*application, InstanceCommand::status, {}, u"unused"_s).output.contains(u"\npanel=hidden\n"_s));
    EXPECT_EQ(floatingWindows->activationTokens(), QStringList({u"show-token"_s, u"toggle-token"_s}));

    // The global shortcut toggles as well.
    const HotKey shortcut = *GlobalHotKey::hotKeyFor(HotKeyConfiguration::defaultShortcut());
    hotKeyService->press(shortcut);
    EXPECT_TRUE(waitUntil([&] { return application->history().isVisible(); }));
    hotKeyService->press(shortcut);
    EXPECT_TRUE(waitUntil([&] { return !application->history().isVisible(); }));
}

TEST_F(StowlineApplicationTest, QuitWritesPendingSavesBeforeAnswering) {
    auto application = launch(true);
    QSignalSpy quitRequests(application.get(), &StowlineApplication::quitRequested);
    application->store().capture(textClip(u"kept at quit"_s, Timestamp::now().addingSeconds(-1)), 0);
    // Still waiting for its debounce, and a copy still on its way to becoming a clip.
    EXPECT_TRUE(stored().isEmpty());
    copyAndPoll(*application, *pasteboard, u"copied just before quit"_s);

    std::optional<InstanceReply> reply;
    InstanceCommands(application->instanceServices()).handle({InstanceCommand::quit, {}}, [&](const InstanceReply& r) {
        reply = r;
        EXPECT_EQ(stored().size(), 2);
    });
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 0);
    EXPECT_EQ(titles(stored()), QStringList({u"copied just before quit"_s, u"kept at quit"_s}));
    // The event loop is asked to end only after the answer is on its way.
    EXPECT_EQ(quitRequests.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST_F(StowlineApplicationTest, AHistoryThatOpensLateGetsRetentionRecognitionAndKeepsFavouritesSetMeanwhile) {
    PlatformServices services = fakeServices();
    const Timestamp now = Timestamp::now();
    const QByteArray image("\x89PNG stored image");
    ASSERT_TRUE(EncryptedArchiveStore(archiveDirectory(), *secrets)
                    .save({textClip(u"stored"_s, now.addingSeconds(-5)), imageClip(image, now.addingSeconds(-6)),
                           textClip(u"ancient"_s, now.addingSeconds(-40 * 86400.0))},
                          ArchiveProtectionMode::keychain)
                    .ok());
    textRecognizer->setLines(image, {u"late words"_s});
    preferences()->setRetentionDays(30);
    preferences()->setArchiveProtectionModeID(u"keychain"_s);
    secrets->failWith = SecretStoreError{SecretStoreError::Kind::locked, {}};
    StowlineApplication application(std::move(services), {true, preferencesFile(), archiveDirectory()});
    application.start();
    ASSERT_FALSE(application.persistence().isHistoryOpen());

    // Copied again and made a favourite while the history is closed.
    copyAndPoll(application, *pasteboard, u"stored"_s);
    ASSERT_TRUE(waitUntil([&] { return application.store().items().size() == 1; }));
    application.store().toggleFavorite(application.store().items().first().id());

    secrets->failWith.reset();
    application.persistence().flush();
    ASSERT_TRUE(application.persistence().isHistoryOpen());
    ASSERT_TRUE(waitUntil([&] {
        return application.store().items().size() == 2 &&
               application.store().items()[1].recognizedText() == u"late words"_s;
    }));
    EXPECT_EQ(titles(application.store().items()).first(), u"stored"_s);
    EXPECT_TRUE(application.store().items().first().isFavorite());
}

TEST_F(StowlineApplicationTest, TheStoredProtectionModeChoosesTheArchive) {
    struct Case {
        QString stored;
        ArchiveProtectionMode expected;
    };
    const Case cases[] = {{u"keychain"_s, ArchiveProtectionMode::keychain},
                          {u"localFile"_s, ArchiveProtectionMode::localFile},
                          {u"something else"_s, ArchiveProtectionMode::localFile}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        // Each from an empty folder: a history left in the other mode's archive would be found there.
        ASSERT_TRUE(QDir(archiveDirectory()).removeRecursively());
        preferences()->setArchiveProtectionModeID(c.stored);
        EXPECT_EQ(launch(true)->persistence().protectionMode(), c.expected);
    }

    // A move between modes that ended before the preference was stored: the history is where it went.
    ASSERT_TRUE(QDir(archiveDirectory()).removeRecursively());
    ASSERT_TRUE(EncryptedArchiveStore(archiveDirectory(), readSecrets)
                    .save(QList<ClipItem>{textClip(u"moved"_s, Timestamp::now())}, ArchiveProtectionMode::localFile)
                    .ok());
    preferences()->setArchiveProtectionModeID(u"keychain"_s);
    auto application = launch(true);
    EXPECT_EQ(application->persistence().protectionMode(), ArchiveProtectionMode::localFile);
    EXPECT_EQ(titles(application->store().items()), QStringList{u"moved"_s});
    EXPECT_EQ(application->preferences().archiveProtectionModeID(), u"localFile"_s);
}

TEST_F(StowlineApplicationTest, OpenAtLoginFollowsThePreferenceAndReportsFailures) {
    // On by default, so its entry is written at every start; gone once the preference is off.
    launch(true);
    EXPECT_TRUE(QFile::exists(autostartFile()));
    preferences()->setLaunchAtLogin(false);
    launch(true);
    EXPECT_FALSE(QFile::exists(autostartFile()));

    preferences()->setLaunchAtLogin(true);
    // A file where the autostart folder's parent should be: the entry cannot be written.
    const QString blocked = home.filePath(u"blocked"_s);
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto application = launch(true, blocked);
    EXPECT_EQ(application->notices().current(), Notices::message(Notice::launchAtLoginFailed));
    EXPECT_EQ(application->preferences().launchAtLogin(), true);
}

TEST_F(StowlineApplicationTest, ExportImportAndListGoThroughTheRunningInstance) {
    auto application = launch(true);
    copyAndPoll(*application, *pasteboard, u"captured while running"_s);
    ASSERT_TRUE(waitUntil([&] { return application->store().items().size() == 1; }));

    // The export lands only in a file the asker created.
    const QString exchange = home.filePath(u"exchange.json"_s);
    const InstanceReply refused = ask(*application, InstanceCommand::exportHistory, {exchange});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(QFile::exists(exchange));
    QFile created(exchange);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();
    const InstanceReply exported = ask(*application, InstanceCommand::exportHistory, {exchange});
    ASSERT_EQ(exported.status, 0) << exported.output.toStdString();
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    auto archive = StowlineArchive::decode(created.readAll());
    created.close();
    ASSERT_TRUE(archive.ok());
    EXPECT_EQ(archive->items, application->store().items());

    // An import merges into the running history and is on disk when the answer comes.
    StowlineArchive other;
    other.items = {textClip(u"imported one"_s, Timestamp::now().addingSeconds(-60)), archive->items.first()};
    ASSERT_TRUE(created.open(QIODevice::WriteOnly | QIODevice::Truncate));
    created.write(other.encode());
    created.close();
    const InstanceReply imported = ask(*application, InstanceCommand::importHistory, {exchange});
    ASSERT_EQ(imported.status, 0) << imported.output.toStdString();
    EXPECT_TRUE(imported.output.contains(u"imported 2 entries (1 new, 1 already in the history)"));
    EXPECT_EQ(titles(stored()), (QStringList{u"captured while running"_s, u"imported one"_s}));

    // A file that is not an export changes nothing and is named in the answer.
    ASSERT_TRUE(created.open(QIODevice::WriteOnly | QIODevice::Truncate));
    created.write("{\"not\":\"an export\"}");
    created.close();
    const InstanceReply broken = ask(*application, InstanceCommand::importHistory, {exchange});
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.output.contains(exchange));
    EXPECT_EQ(application->store().items().size(), 2);
}

TEST_F(StowlineApplicationTest, CopyChecksTheNumberAndCanPaste) {
    auto application = launch(true);
    copyAndPoll(*application, *pasteboard, u"to paste"_s);
    ASSERT_TRUE(waitUntil([&] { return application->store().items().size() == 1; }));
    const ClipRepresentations before = pasteboard->contents();

    struct Case {
        QStringList arguments;
        int status;
    };
    const Case refused[] = {{{u"0"_s}, 2}, {{u"2"_s}, 1}, {{u"x"_s}, 2}, {{}, 2}, {{u"1"_s, u"twice"_s}, 2}};
    for (const Case& c : refused) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(ask(*application, InstanceCommand::copy, c.arguments).status, c.status);
    }
    EXPECT_EQ(keystrokePoster->pasteCount(), 0);
    EXPECT_EQ(pasteboard->contents(), before);

    const ClipItem used = application->store().items().first();
    EXPECT_EQ(ask(*application, InstanceCommand::copy, {u"1"_s, u"paste"_s}).status, 0);
    EXPECT_EQ(keystrokePoster->pasteCount(), 1);
    EXPECT_GT(application->store().items().first().lastUsedAt(), used.lastUsedAt());
    keystrokePoster->setAvailable(false);
    const InstanceReply withoutPaste = ask(*application, InstanceCommand::copy, {u"1"_s, u"paste"_s});
    EXPECT_EQ(withoutPaste.status, 1);
    EXPECT_TRUE(withoutPaste.output.contains(u"on the clipboard"));

    // What Stowline writes itself, such as an edited text, never becomes a clip; a later copy is the sentinel.
    ASSERT_TRUE(application->actions().copyEditedText(u"edited in Stowline"_s));
    application->monitor().tick();
    copyAndPoll(*application, *pasteboard, u"copied later"_s);
    ASSERT_TRUE(waitUntil([&] { return application->store().items().size() >= 2; }));
    QStringList held = titles(application->store().items());
    held.sort();
    EXPECT_EQ(held, (QStringList{u"copied later"_s, u"to paste"_s}));
}

TEST_F(StowlineApplicationTest, PauseAndResumeGoThroughTheRunningInstanceAndStatusSaysWhich) {
    auto application = launch(true);
    const auto capture = [&] {
        return ask(*application, InstanceCommand::status).output.split(u'\n').filter(u"capture="_s);
    };
    EXPECT_EQ(capture(), QStringList{u"capture=on"_s});
    EXPECT_EQ(ask(*application, InstanceCommand::pause).status, 0);
    EXPECT_FALSE(application->preferences().captureEnabled());
    EXPECT_EQ(capture(), QStringList{u"capture=paused"_s});
    EXPECT_EQ(ask(*application, InstanceCommand::resume).status, 0);
    EXPECT_TRUE(application->preferences().captureEnabled());
    EXPECT_EQ(capture(), QStringList{u"capture=on"_s});
}

TEST_F(StowlineApplicationTest, TerminateStopsCapturingAndWritesPendingSaves) {
    auto application = launch(true);
    QSignalSpy quitRequests(application.get(), &StowlineApplication::quitRequested);
    application->store().capture(textClip(u"pending at the signal"_s, Timestamp::now()), 0);
    application->terminate();
    EXPECT_EQ(titles(stored()), QStringList{u"pending at the signal"_s});
    pasteboard->copy({test::textRepresentation(u"after the end"_s)});
    QCoreApplication::processEvents();
    application->monitor().finishPendingCaptures();
    EXPECT_EQ(application->store().items().size(), 1);
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST_F(StowlineApplicationTest, AQuitThatCannotSaveAsksAndKeepsCapturingUntilTheUserQuitsAnyway) {
    auto application = launch(true);
    QSignalSpy quitRequests(application.get(), &StowlineApplication::quitRequested);
    // A folder where the archive belongs makes every save fail, even for root.
    ASSERT_TRUE(QDir().mkpath(EncryptedArchiveStore(archiveDirectory(), readSecrets).localArchivePath()));
    application->store().capture(textClip(u"cannot be saved"_s, Timestamp::now()), 0);

    for (const QString& answer : {u"Keep Running"_s, u"Quit Anyway"_s}) {
        SCOPED_TRACE(answer.toStdString());
        application->terminate();
        QMessageBox* alert = application->quitAlert();
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->informativeText().contains(archiveDirectory())) << alert->informativeText().toStdString();
        EXPECT_EQ(quitRequests.count(), 0);
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == answer)
                button->click();
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (quitRequests.isEmpty()) {
            // Still capturing, and the command line is told the same.
            copyAndPoll(*application, *pasteboard, u"copied after"_s);
            application->monitor().finishPendingCaptures();
            EXPECT_EQ(application->store().items().size(), 2);
            const InstanceReply refused = ask(*application, InstanceCommand::quit);
            EXPECT_NE(refused.status, 0);
            EXPECT_TRUE(refused.output.contains(u"--anyway"_s)) << refused.output.toStdString();
        }
    }
    EXPECT_EQ(quitRequests.count(), 1);
}

namespace {

const HotKeyConfiguration kAltU{32, HotKeyConfiguration::optionKey, u"Alt+U"_s};

} // namespace

TEST_F(StowlineApplicationTest, AOneModifierShortcutWaitsForThePermissionWindowAndGoesLiveOnceGranted) {
    preferences()->setShortcut(kAltU);
    auto application = launch(false, {}, false);
    EXPECT_EQ(application->shortcuts().activeShortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_EQ(application->preferences().shortcut(), kAltU);
    EXPECT_EQ(application->notices().current()->kind, UserMessage::Kind::shortcutNeedsAccessibility);
    QCoreApplication::processEvents();
    ASSERT_TRUE(application->permissions().isWindowVisible());

    // Granted in the desktop's settings; Stowline becomes active again.
    keystrokePoster->setAvailable(true);
    application->applicationDidBecomeActive();
    EXPECT_FALSE(application->permissions().isWindowVisible());
    EXPECT_EQ(application->shortcuts().activeShortcut(), kAltU);
    EXPECT_FALSE(application->notices().current());

    // Taken away again: the next activation goes back to a shortcut that needs no permission, and stores it.
    keystrokePoster->setAvailable(false);
    application->applicationDidBecomeActive();
    EXPECT_EQ(application->shortcuts().activeShortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_EQ(preferences()->shortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_FALSE(application->permissions().isWindowVisible());
}

TEST_F(StowlineApplicationTest, DecliningInThePermissionWindowRevertsTheShortcut) {
    preferences()->setShortcut(kAltU);
    auto application = launch(false, {}, false);
    QCoreApplication::processEvents();
    ASSERT_TRUE(application->permissions().isWindowVisible());
    application->permissions().window()->view()->declineButton()->click();
    EXPECT_FALSE(application->permissions().isWindowVisible());
    EXPECT_EQ(application->preferences().shortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_EQ(application->shortcuts().activeShortcut(), HotKeyConfiguration::defaultShortcut());
    EXPECT_FALSE(application->notices().current());
}

TEST_F(StowlineApplicationTest, ABackgroundStartShowsNeitherThePanelNorThePermissionWindow) {
    preferences()->setShortcut(kAltU);
    auto application = launch(true, {}, false);
    QCoreApplication::processEvents();
    EXPECT_EQ(panelRequests->count(), 0);
    EXPECT_FALSE(application->permissions().isWindowVisible());

    // Choosing it again from the settings does open it.
    application->preferences().setShortcut(kAltU);
    QCoreApplication::processEvents();
    EXPECT_TRUE(application->permissions().isWindowVisible());
}

TEST_F(StowlineApplicationTest, SettingsOpenFromTheTrayAndCtrlCommaAndCtrlQWorkInEveryWindow) {
    auto application = launch(false);
    QSignalSpy quitRequests(application.get(), &StowlineApplication::quitRequested);
    application->statusMenu().activate(QSystemTrayIcon::Context);
    QMenu* menu = application->statusMenu().menu();
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == u"Settings\u2026"_s)
            action->trigger();
    }
    ASSERT_TRUE(application->settings().window());
    EXPECT_TRUE(application->settings().window()->isVisible());
    application->settings().window()->hide();

    ASSERT_TRUE(application->history().window());
    QTest::keyClick(application->history().window(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_TRUE(application->settings().window()->isVisible());
    EXPECT_EQ(quitRequests.count(), 0);
    QTest::keyClick(application->settings().window(), Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(quitRequests.count(), 1);
}
