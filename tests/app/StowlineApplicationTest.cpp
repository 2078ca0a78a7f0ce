#include "app/StowlineApplication.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/platform/xdg/XdgAutostartEntry.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/ClipboardStore.h"
#include "tests/support/ClipBuilders.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
using stowline::test::textClip;

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
    QList<ClipItem> stored() {
        EncryptedArchiveStore archive(archiveDirectory(), readSecrets);
        auto loaded = archive.load(ArchiveProtectionMode::localFile);
        EXPECT_TRUE(loaded.ok());
        return loaded.ok() ? loaded->items : QList<ClipItem>();
    }

    std::unique_ptr<StowlineApplication> launch(bool background, const QString& configHome = {}) {
        PlatformServices services;
        auto hotKeys = std::make_unique<FakeHotKeyService>();
        hotKeyService = hotKeys.get();
        services.hotKeys = std::move(hotKeys);
        services.keystrokes = std::make_unique<FakeKeystrokePoster>();
        services.secrets = std::make_unique<FakeSecretStore>();
        services.loginItem =
            std::make_unique<XdgAutostartEntry>(configHome.isEmpty() ? home.filePath(u"config"_s) : configHome);
        auto application = std::make_unique<StowlineApplication>(
            std::move(services), StowlineApplication::Options{background, preferencesFile(), archiveDirectory()});
        panelRequests = std::make_unique<QSignalSpy>(application.get(), &StowlineApplication::panelRequested);
        application->start();
        return application;
    }

    InstanceReply ask(StowlineApplication& application, InstanceCommand command) {
        std::optional<InstanceReply> reply;
        application.handle({command, {}}, [&](const InstanceReply& r) { reply = r; });
        EXPECT_TRUE(reply);
        return reply.value_or(InstanceReply{255, {}});
    }

    QTemporaryDir home;
    FakeSecretStore readSecrets;
    FakeHotKeyService* hotKeyService = nullptr;
    std::unique_ptr<QSignalSpy> panelRequests;
};

} // namespace

TEST_F(StowlineApplicationTest, BackgroundStartRegistersTheShortcutWithoutShowingThePanel) {
    auto application = launch(true);
    EXPECT_EQ(panelRequests->count(), 0);
    EXPECT_EQ(application->shortcuts().activeShortcut(), HotKeyConfiguration::defaultShortcut());
    // Open at Login is on by default, so its entry is written at every start.
    EXPECT_TRUE(QFile::exists(autostartFile()));

    hotKeyService->press(*GlobalHotKey::hotKeyFor(HotKeyConfiguration::defaultShortcut()));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(panelRequests->count(), 1);
    EXPECT_EQ(application->panelRequestCount(), 1);
}

TEST_F(StowlineApplicationTest, PlainStartShowsThePanelAndLaterStartsAskForItAgain) {
    auto application = launch(false);
    EXPECT_EQ(panelRequests->count(), 1);
    for (const InstanceCommand command : {InstanceCommand::show, InstanceCommand::toggle}) {
        const InstanceReply reply = ask(*application, command);
        EXPECT_EQ(reply.status, 0);
    }
    EXPECT_EQ(application->panelRequestCount(), 3);

    const InstanceReply status = ask(*application, InstanceCommand::status);
    EXPECT_EQ(status.status, 0);
    const QStringList lines = status.output.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u"panelRequests=3"_s));
    EXPECT_TRUE(lines.contains(u"shortcut=Alt+Shift+W"_s));
    EXPECT_TRUE(lines.contains(u"clips=0"_s));
    EXPECT_TRUE(lines.contains(u"lastError="_s));
    EXPECT_TRUE(lines.contains(u"pid="_s + QString::number(QCoreApplication::applicationPid())));
}

TEST_F(StowlineApplicationTest, QuitWritesPendingSavesBeforeAnswering) {
    auto application = launch(true);
    QSignalSpy quitRequests(application.get(), &StowlineApplication::quitRequested);
    application->store().capture(textClip(u"kept at quit"_s, Timestamp::now()), 0);
    // Still waiting for its debounce.
    EXPECT_TRUE(stored().isEmpty());

    std::optional<InstanceReply> reply;
    application->handle({InstanceCommand::quit, {}}, [&](const InstanceReply& r) {
        reply = r;
        EXPECT_EQ(stored().size(), 1);
    });
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 0);
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored().first().title(), u"kept at quit"_s);
    // The event loop is asked to end only after the answer is on its way.
    EXPECT_EQ(quitRequests.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(quitRequests.count(), 1);
}

TEST_F(StowlineApplicationTest, StartUpAppliesRetentionToTheLoadedHistory) {
    {
        EncryptedArchiveStore archive(archiveDirectory(), readSecrets);
        const Timestamp now = Timestamp::now();
        ASSERT_TRUE(archive
                        .save({textClip(u"recent"_s, now), textClip(u"ancient"_s, now.addingSeconds(-40 * 86400.0))},
                              ArchiveProtectionMode::localFile)
                        .ok());
    }
    preferences()->setRetentionDays(30);
    auto application = launch(true);
    ASSERT_EQ(application->store().items().size(), 1);
    EXPECT_EQ(application->store().items().first().title(), u"recent"_s);
    application->store().flush();
    EXPECT_EQ(stored().size(), 1);
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
        preferences()->setArchiveProtectionModeID(c.stored);
        EXPECT_EQ(launch(true)->store().protectionMode(), c.expected);
    }
}

TEST_F(StowlineApplicationTest, OpenAtLoginFollowsThePreferenceAndReportsFailures) {
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
    EXPECT_EQ(application->store().lastError(), StowlineApplication::launchAtLoginFailedMessage());
    EXPECT_EQ(application->preferences().launchAtLogin(), true);
}

TEST_F(StowlineApplicationTest, ATakenDefaultShortcutFallsBackAndSaysSo) {
    PlatformServices services;
    auto hotKeys = std::make_unique<FakeHotKeyService>();
    hotKeys->setTaken({*GlobalHotKey::hotKeyFor(HotKeyConfiguration::defaultShortcut())});
    services.hotKeys = std::move(hotKeys);
    services.keystrokes = std::make_unique<FakeKeystrokePoster>();
    services.secrets = std::make_unique<FakeSecretStore>();
    services.loginItem = std::make_unique<XdgAutostartEntry>(home.filePath(u"config"_s));
    StowlineApplication application(std::move(services), {true, preferencesFile(), archiveDirectory()});
    application.start();
    EXPECT_EQ(application.shortcuts().activeShortcut(), HotKeyConfiguration::alternateShortcut());
    EXPECT_EQ(preferences()->shortcut(), HotKeyConfiguration::alternateShortcut());
    EXPECT_TRUE(ask(application, InstanceCommand::status).output.contains(u"shortcut=Shift+Super+V\n"));
    EXPECT_EQ(application.store().lastError(),
              ShortcutCoordinator::defaultReplacedMessage(HotKeyConfiguration::alternateShortcut()));
}
