#include "app/store/HistoryPersistence.h"

#include "app/notices/Notices.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/store/HistoryStore.h"
#include "tests/support/AppFixture.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>

#include <sys/stat.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

using test::KeptHistory;
using test::titles;

class HistoryPersistenceTest : public ::testing::Test {
protected:
    // Read, then upgraded and written.
    std::unique_ptr<KeptHistory> makeStore(ArchiveProtectionMode mode = ArchiveProtectionMode::localFile) {
        return opened(std::make_unique<KeptHistory>(dir.path(), secrets, mode));
    }
    // As the application starts: reading goes on meanwhile.
    std::unique_ptr<KeptHistory> startStore() {
        return std::make_unique<KeptHistory>(dir.path(), secrets, ArchiveProtectionMode::localFile);
    }

    static std::unique_ptr<KeptHistory> opened(std::unique_ptr<KeptHistory> store) {
        store->persistence.flush();
        return store;
    }

    // What is on disk, read through a separate archive store as the next start-up would.
    QList<ClipItem> stored(ArchiveProtectionMode mode = ArchiveProtectionMode::localFile) {
        return test::stored(dir.path(), secrets, mode);
    }

    // Each save replaces the file atomically, so a new inode means a new save.
    ino_t archiveInode(ArchiveProtectionMode mode = ArchiveProtectionMode::localFile) {
        struct stat info {};
        EncryptedArchiveStore archive(dir.path(), secrets);
        return ::stat(QFile::encodeName(archive.archivePath(mode)).constData(), &info) == 0 ? info.st_ino : 0;
    }

    // The archive and its journal: a save rewrites the one or appends to the other.
    QByteArray onDisk() {
        EncryptedArchiveStore archive(dir.path(), secrets);
        return test::contents(archive.archivePath(ArchiveProtectionMode::localFile)) +
               test::contents(archive.journalPath(ArchiveProtectionMode::localFile));
    }

    QTemporaryDir dir;
    FakeSecretStore secrets;
};

} // namespace

TEST_F(HistoryPersistenceTest, BurstOfCapturesIsSavedOnceAfterTheLastChange) {
    auto store = makeStore();
    for (int i = 0; i < 10; ++i)
        store->history.capture(test::textClip(u"clip %1"_s.arg(i), Timestamp{double(1000 + i)}), 0);
    EXPECT_EQ(archiveInode(), 0u) << "nothing is written before the debounce";
    ASSERT_TRUE(test::waitUntil([&] { return archiveInode() != 0; }, 5000));
    const ino_t first = archiveInode();
    store->persistence.flush();
    EXPECT_EQ(archiveInode(), first) << "nothing was left waiting: a burst makes one save";
    EXPECT_EQ(stored().size(), 10);
    EXPECT_GT(store->persistence.archiveDiskBytes(), 28);
}

TEST_F(HistoryPersistenceTest, ClearingSavesAtOnceAndCancelsTheOlderPendingSave) {
    auto store = makeStore();
    store->history.capture(test::textClip(u"kept?"_s), 0);
    store->history.clear(ClearScope::everything);
    // Written without the event loop running, so no debounce timer could have fired.
    store->persistence.waitForQueuedSaves();
    ASSERT_NE(archiveInode(), ino_t(0));
    EXPECT_TRUE(stored().isEmpty());
    // Nothing is left to write: the capture's pending save was cancelled.
    const ino_t cleared = archiveInode();
    store->persistence.flush();
    EXPECT_EQ(archiveInode(), cleared);
}

TEST_F(HistoryPersistenceTest, AFailedSaveIsReportedRetriedAndItsMessageGoesWithTheNextSuccess) {
    auto store = makeStore();
    EncryptedArchiveStore paths(dir.path(), secrets);
    // A folder where the archive belongs makes the atomic replace fail, even for root.
    ASSERT_TRUE(QDir().mkpath(paths.localArchivePath()));
    store->history.capture(test::textClip(u"one"_s), 0);
    store->persistence.flush();
    EXPECT_EQ(store->notices.current(), Notices::message(Notice::saveFailed));
    ASSERT_TRUE(store->persistence.unsaved());
    EXPECT_TRUE(store->persistence.unsaved()->reason.contains(dir.path()));

    // The quit's retry, once the cause is gone, writes everything and the message goes.
    ASSERT_TRUE(QDir(paths.localArchivePath()).removeRecursively());
    store->persistence.compact();
    EXPECT_EQ(stored().size(), 1);
    EXPECT_FALSE(store->notices.current());
    EXPECT_FALSE(store->persistence.unsaved());
}

TEST_F(HistoryPersistenceTest, AJournalThatCannotBeWrittenWhileRunningLosesNoChange) {
    auto store = makeStore();
    const QString journal = EncryptedArchiveStore(dir.path(), secrets).journalPath(ArchiveProtectionMode::localFile);
    for (const QString& text : {u"archived"_s, u"journalled"_s}) {
        store->history.capture(test::textClip(text, Timestamp::now()), 0);
        store->persistence.flush();
    }
    ASSERT_TRUE(QFileInfo::exists(journal));
    // Neither readable nor writable any more, even for root: a folder in its place.
    ASSERT_TRUE(QFile::remove(journal));
    ASSERT_TRUE(QDir().mkpath(journal));
    store->history.capture(test::textClip(u"after the damage"_s, Timestamp::now()), 0);
    store->persistence.flush();
    // The change went into a rewritten archive instead.
    EXPECT_FALSE(store->notices.current());
    EXPECT_FALSE(store->persistence.unsaved());

    ASSERT_TRUE(QDir(journal).removeRecursively());
    store.reset();
    EXPECT_EQ(stored().size(), 3);
}

TEST_F(HistoryPersistenceTest, ABurstIsSavedWithinASecondOfItsFirstChange) {
    qint64 now = 0;
    auto store = makeStore();
    store->persistence.setClockForTesting([&] { return now; });
    // A copy every 150 ms never lets the 200 ms debounce run out; no timer fires here at all.
    int copies = 0;
    const auto copy = [&] {
        ++copies;
        store->history.capture(test::textClip(u"clip %1"_s.arg(copies), Timestamp{double(1000 + copies)}), 0);
    };
    for (; now < 1000; now += 150)
        copy();
    store->persistence.waitForQueuedSaves();
    EXPECT_TRUE(stored().isEmpty()) << "within the second the debounce still waits";
    // 1050 ms after the first unsaved copy: this one goes to the disk at once, with all before it.
    copy();
    store->persistence.waitForQueuedSaves();
    EXPECT_EQ(stored().size(), copies);
}

TEST_F(HistoryPersistenceTest, DeletingClearingAndExpiryLeaveNoReadableCopyOnDisk) {
    auto store = makeStore();
    EncryptedArchiveStore paths(dir.path(), secrets);
    const QString journal = paths.journalPath(ArchiveProtectionMode::localFile);
    const struct {
        const char* what;
        std::function<void()> remove;
    } removals[] = {
        {"delete", [&] { store->history.deleteItem(store->history.items().at(1).id()); }},
        {"clear", [&] { store->history.clear(ClearScope::keepingFavorites); }},
        {"expiry", [&] { store->history.applyRetention(1); }},
    };
    for (const auto& removal : removals) {
        SCOPED_TRACE(removal.what);
        // Each saved on its own: the first makes the archive, the others go to its journal.
        store->history.clear(ClearScope::everything);
        store->persistence.flush();
        const QUuid kept = store->history.capture(test::textClip(u"keep"_s, Timestamp::now()), 0);
        store->history.toggleFavorite(kept);
        store->persistence.flush();
        store->history.capture(test::textClip(u"hunter2 secret"_s, Timestamp{20}), 0);
        store->persistence.flush();
        ASSERT_TRUE(QFileInfo::exists(journal));

        removal.remove();
        store->persistence.flush();
        // The journal held the clip too: only a rewritten archive without a journal forgets it.
        EXPECT_FALSE(QFileInfo::exists(journal));
        EXPECT_EQ(titles(stored()), QStringList{u"keep"_s});
    }
}

TEST_F(HistoryPersistenceTest, ClipsTakenInWhileTheHistoryIsClosedSurviveAQuit) {
    EncryptedArchiveStore paths(dir.path(), secrets);
    makeStore()->history.capture(test::textClip(u"from yesterday"_s, Timestamp{10}), 0);
    // The archive cannot be read (a folder in its place works even for root), but its key can: what is taken
    // in now is sealed beside it.
    const QString archive = paths.localArchivePath();
    const QString aside = dir.filePath(u"away.stwl"_s);
    ASSERT_TRUE(QFile::rename(archive, aside));
    ASSERT_TRUE(QDir().mkpath(archive));
    {
        auto store = makeStore();
        ASSERT_FALSE(store->persistence.isHistoryOpen());
        store->history.capture(test::textClip(u"while closed"_s, Timestamp{20}), 0);
        store->persistence.compact();
        EXPECT_FALSE(store->persistence.unsaved());
    }
    ASSERT_TRUE(QDir(archive).removeRecursively());
    ASSERT_TRUE(QFile::rename(aside, archive));
    {
        auto store = makeStore();
        ASSERT_TRUE(store->persistence.isHistoryOpen());
        EXPECT_EQ(titles(store->history.items()), (QStringList{u"while closed"_s, u"from yesterday"_s}));
    }
    EXPECT_EQ(titles(stored()), (QStringList{u"while closed"_s, u"from yesterday"_s}));
    EXPECT_FALSE(QFileInfo::exists(paths.pendingPath(ArchiveProtectionMode::localFile)));
}

TEST_F(HistoryPersistenceTest, ChangesMadeWhileStoredClipsAreUpgradedSurviveTheUpgrade) {
    {
        auto store = makeStore();
        store->history.capture(test::textClip(u"kept"_s, Timestamp{10}), 0);
        store->history.capture(test::textClip(u"deleted"_s, Timestamp{20}), 0);
        store->history.capture(test::textClip(u"made a favourite"_s, Timestamp{30}), 0);
    }
    auto store = startStore();
    QSignalSpy upgraded(&store->history, &HistoryStore::storedEntriesUpgraded);
    // The stored history is published; the upgrade's result waits for the event loop, which does not run here.
    store->persistence.waitForQueuedSaves();
    const QList<ClipItem> loaded = store->history.items();
    ASSERT_EQ(titles(loaded), (QStringList{u"made a favourite"_s, u"deleted"_s, u"kept"_s}));
    ASSERT_FALSE(loaded.first().credentialClassification());

    store->history.capture(test::textClip(u"captured meanwhile"_s, Timestamp{40}), 0);
    store->history.deleteItem(loaded[1].id());
    store->history.toggleFavorite(loaded[0].id());
    store->persistence.flush();

    EXPECT_EQ(upgraded.size(), 1);
    for (const QList<ClipItem>& history : {store->history.items(), stored()}) {
        ASSERT_EQ(titles(history), (QStringList{u"made a favourite"_s, u"captured meanwhile"_s, u"kept"_s}));
        EXPECT_TRUE(history[0].isFavorite());
        EXPECT_TRUE(history[0].credentialClassification() && history[0].contentMetadataVersion());
        EXPECT_TRUE(history[2].credentialClassification() && history[2].contentMetadataVersion());
    }
}

TEST_F(HistoryPersistenceTest, ASaveAskedForBeforeTheStoredHistoryArrivedNeverWritesOverIt) {
    makeStore()->history.capture(test::textClip(u"stored"_s), 0);
    // Opened once more, so the archive holds it upgraded and the next opening has nothing to rewrite.
    makeStore();
    auto store = startStore();
    // Start-up applies retention at once, to the history it holds while the stored one is still being read.
    store->history.applyRetention(30);
    store->persistence.waitForQueuedSaves();
    store->persistence.flush();
    EXPECT_EQ(titles(store->history.items()), QStringList{u"stored"_s});
    EXPECT_EQ(titles(stored()), QStringList{u"stored"_s});
}

TEST_F(HistoryPersistenceTest, UnreadableArchiveStartsAFreshHistoryWithItsMessage) {
    EncryptedArchiveStore paths(dir.path(), secrets);
    {
        auto store = makeStore();
        store->history.capture(test::textClip(u"soon unreadable"_s), 0);
    }
    QFile file(paths.localArchivePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(20);
    file.write("tampered");
    file.close();

    auto store = makeStore();
    EXPECT_TRUE(store->history.items().isEmpty());
    EXPECT_EQ(store->notices.current(), Notices::message(Notice::unreadableArchive));
    EXPECT_TRUE(store->persistence.isHistoryOpen());
    EXPECT_FALSE(QFileInfo::exists(paths.localArchivePath()));
    EXPECT_EQ(QDir(dir.path()).entryList({u"history-corrupt-*.stwl"_s}).size(), 1);
}

TEST_F(HistoryPersistenceTest, AHistoryFolderOpenToOthersIsMadePrivateAndTheUserIsTold) {
    {
        auto store = makeStore();
        store->history.capture(test::textClip(u"kept"_s), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);

    auto store = makeStore();
    ASSERT_TRUE(store->notices.current());
    EXPECT_EQ(store->notices.current()->kind, UserMessage::Kind::filePermissions);
    EXPECT_TRUE(store->notices.current()->text.contains(dir.path() + u" was open to other users (permissions 0755)"_s));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(titles(store->history.items()), QStringList{u"kept"_s});
}

TEST_F(HistoryPersistenceTest, LockedKeyringAtStartUpLosesNothing) {
    {
        auto store = makeStore(ArchiveProtectionMode::keychain);
        store->history.capture(test::textClip(u"from yesterday"_s, Timestamp{10}), 0);
    }
    const ino_t before = archiveInode(ArchiveProtectionMode::keychain);
    ASSERT_NE(before, 0u);
    secrets.failWith = SecretStoreError{SecretStoreError::Kind::locked, {}};

    auto store = makeStore(ArchiveProtectionMode::keychain);
    EXPECT_FALSE(store->persistence.isHistoryOpen());
    EXPECT_EQ(store->notices.current(), Notices::message(Notice::historyNotOpen));
    store->history.capture(test::textClip(u"while locked"_s, Timestamp{20}), 0);
    store->persistence.flush();
    EXPECT_EQ(archiveInode(ArchiveProtectionMode::keychain), before) << "the locked history must not be replaced";
    EXPECT_EQ(titles(store->history.items()), QStringList{u"while locked"_s});

    bool migrated = true;
    store->persistence.changeProtection(ArchiveProtectionMode::localFile,
                                        [&](Status<ArchiveStoreError> status) { migrated = status.ok(); });
    EXPECT_FALSE(migrated) << "moving a history that could not be opened would lose it";

    // The key cannot be reached to keep the clip beside the archive: a quit now would lose it.
    ASSERT_TRUE(store->persistence.unsaved());
    EXPECT_EQ(store->persistence.unsaved()->heldClips, 1);

    secrets.failWith.reset();
    store->history.capture(test::textClip(u"after unlock"_s, Timestamp{30}), 0);
    store->persistence.flush();
    EXPECT_TRUE(store->persistence.isHistoryOpen());
    EXPECT_FALSE(store->notices.current());
    const QStringList expected{u"after unlock"_s, u"while locked"_s, u"from yesterday"_s};
    EXPECT_EQ(titles(store->history.items()), expected);
    secrets.failWith.reset();
    EXPECT_EQ(titles(stored(ArchiveProtectionMode::keychain)), expected);
}

TEST_F(HistoryPersistenceTest, ProtectionChangesMoveTheHistoryOrLeaveItWhereItWas) {
    auto store = makeStore();
    store->history.capture(test::textClip(u"protected"_s), 0);
    store->persistence.flush();
    const ino_t local = archiveInode();

    int sameModeCalls = 0;
    store->persistence.changeProtection(ArchiveProtectionMode::localFile,
                                        [&](Status<ArchiveStoreError> s) { sameModeCalls += s.ok(); });
    EXPECT_EQ(sameModeCalls, 1);
    EXPECT_EQ(archiveInode(), local);

    secrets.failWith = SecretStoreError{SecretStoreError::Kind::unreachable, {}};
    std::optional<bool> failed;
    store->persistence.changeProtection(ArchiveProtectionMode::keychain,
                                        [&](Status<ArchiveStoreError> s) { failed = !s.ok(); });
    ASSERT_TRUE(test::waitUntil([&] { return failed.has_value(); }, 3000));
    EXPECT_TRUE(*failed);
    EXPECT_EQ(store->persistence.protectionMode(), ArchiveProtectionMode::localFile);
    EXPECT_FALSE(store->persistence.isChangingProtection());
    EXPECT_EQ(archiveInode(), local);
    EXPECT_EQ(store->history.items().size(), 1);

    secrets.failWith.reset();
    QSignalSpy changing(&store->persistence, &HistoryPersistence::isChangingProtectionChanged);
    std::optional<bool> succeeded;
    std::optional<ArchiveStoreError::Kind> whileRunning;
    store->persistence.changeProtection(ArchiveProtectionMode::keychain,
                                        [&](Status<ArchiveStoreError> s) { succeeded = s.ok(); });
    EXPECT_TRUE(store->persistence.isChangingProtection());
    store->persistence.changeProtection(ArchiveProtectionMode::localFile, [&](Status<ArchiveStoreError> s) {
        if (!s.ok())
            whileRunning = s.error().kind;
    });
    EXPECT_EQ(whileRunning, ArchiveStoreError::Kind::protectionChangeInProgress);
    ASSERT_TRUE(test::waitUntil([&] { return succeeded.has_value(); }, 3000));
    EXPECT_TRUE(*succeeded);
    EXPECT_EQ(changing.count(), 2);
    EXPECT_EQ(store->persistence.protectionMode(), ArchiveProtectionMode::keychain);
    EXPECT_EQ(archiveInode(), 0u) << "the local archive goes with the move";
    EXPECT_EQ(titles(stored(ArchiveProtectionMode::keychain)), QStringList{u"protected"_s});
    EXPECT_EQ(store->persistence.archiveDiskBytes(),
              QFileInfo(EncryptedArchiveStore(dir.path(), secrets).keychainArchivePath()).size());

    // Later saves go to the new mode's archive.
    store->history.capture(test::textClip(u"after the move"_s), 0);
    store->persistence.flush();
    EXPECT_EQ(stored(ArchiveProtectionMode::keychain).size(), 2);
    EXPECT_EQ(archiveInode(), 0u);
}

TEST_F(HistoryPersistenceTest, ChangesDuringAProtectionChangeSurviveInMemoryAndOnDisk) {
    auto store = makeStore();
    store->history.capture(test::textClip(u"deleted meanwhile"_s, Timestamp{10}), 0);
    store->history.capture(test::textClip(u"favourite meanwhile"_s, Timestamp{20}), 0);
    store->persistence.flush();

    // The keyring answers only when the test lets it.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> asked = false;
    secrets.beforeEachCall = [&] {
        asked = true;
        released.wait();
    };
    std::optional<bool> succeeded;
    store->persistence.changeProtection(ArchiveProtectionMode::keychain,
                                        [&](Status<ArchiveStoreError> s) { succeeded = s.ok(); });
    ASSERT_TRUE(test::waitUntil([&] { return asked.load(); }, 3000));
    store->history.capture(test::textClip(u"captured meanwhile"_s, Timestamp{30}), 0);
    store->history.deleteItem(store->history.items()[2].id());
    store->history.toggleFavorite(store->history.items()[1].id());
    // An import is saved at once: during the move that save waits for it.
    store->history.merge({}, 0);
    release.set_value();
    ASSERT_TRUE(test::waitUntil([&] { return succeeded.has_value(); }, 3000));
    ASSERT_TRUE(*succeeded);
    store->persistence.flush();

    // Favourites come first.
    const QStringList expected{u"favourite meanwhile"_s, u"captured meanwhile"_s};
    EXPECT_EQ(titles(store->history.items()), expected);
    EXPECT_TRUE(store->history.items()[0].isFavorite());
    const QList<ClipItem> onDisk = stored(ArchiveProtectionMode::keychain);
    EXPECT_EQ(titles(onDisk), expected);
    EXPECT_TRUE(onDisk.value(0).isFavorite());
}

TEST_F(HistoryPersistenceTest, AFaultThatCannotHealSaysWhatIsWrongAndKeepsTheArchive) {
    EncryptedArchiveStore paths(dir.path(), secrets);
    {
        auto store = makeStore();
        store->history.capture(test::textClip(u"from yesterday"_s, Timestamp{10}), 0);
    }
    const QByteArray key = test::contents(paths.localKeyPath());
    test::write(paths.localKeyPath(), key.left(31));
    const auto before = test::snapshot(dir.path());

    auto store = makeStore();
    EXPECT_FALSE(store->persistence.isHistoryOpen());
    EXPECT_EQ(store->notices.current(), Notices::message(Notice::keyFileInvalid));
    store->history.capture(test::textClip(u"while broken"_s, Timestamp{20}), 0);
    store->persistence.flush();
    EXPECT_EQ(test::snapshot(dir.path()), before);

    test::write(paths.localKeyPath(), key);
    store->history.capture(test::textClip(u"after the fix"_s, Timestamp{30}), 0);
    store->persistence.flush();
    EXPECT_TRUE(store->persistence.isHistoryOpen());
    EXPECT_FALSE(store->notices.current());
    EXPECT_EQ(titles(stored()), QStringList({u"after the fix"_s, u"while broken"_s, u"from yesterday"_s}));
}

TEST_F(HistoryPersistenceTest, AnUnreadableArchiveThatCannotBeMovedAsideIsNeverSavedOver) {
    // So deep that the archive's path fits the system's limit and its quarantine name does not.
    QString folder = dir.path();
    while (folder.size() < 4060 - 200)
        folder += u'/' + QString(199, u'd');
    folder += u'/' + QString(4060 - folder.size() - 1, u'e');
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto open = [&] {
        return opened(std::make_unique<KeptHistory>(folder, secrets, ArchiveProtectionMode::localFile));
    };
    open()->history.capture(test::textClip(u"soon unreadable"_s), 0);
    const QString archive = folder + u"/history-local.stwl"_s;
    test::write(archive, test::contents(archive).left(40));
    const auto before = test::snapshot(dir.path());

    auto store = open();
    EXPECT_FALSE(store->persistence.isHistoryOpen());
    EXPECT_EQ(store->notices.current(), Notices::message(Notice::archiveNotMoved));
    store->history.capture(test::textClip(u"kept in memory"_s), 0);
    store->persistence.flush();
    // Only the clip held meanwhile was written, into a file of its own beside the archive.
    auto after = test::snapshot(dir.path());
    const QString pending = EncryptedArchiveStore(folder, secrets).pendingPath(ArchiveProtectionMode::localFile);
    EXPECT_FALSE(after.take(pending.mid(dir.path().size())).isEmpty());
    EXPECT_EQ(after, before);
    EXPECT_EQ(titles(store->history.items()), QStringList{u"kept in memory"_s});
}

TEST_F(HistoryPersistenceTest, RecognizedTextThatChangesNothingPublishesNothing) {
    auto store = makeStore();
    store->history.capture(test::imageClip("\x89PNG not really"), 0);
    store->persistence.flush();
    const QByteArray saved = onDisk();
    const ClipItem item = store->history.items().first();
    QSignalSpy published(&store->history, &HistoryStore::itemsChanged);

    store->history.applyRecognizedText(item.id(), u"not its hash"_s, u"text"_s, 1);
    store->persistence.flush();
    EXPECT_EQ(published.count(), 0);
    EXPECT_EQ(onDisk(), saved);

    store->history.applyRecognizedText(item.id(), item.contentHash(), u"text"_s, 1);
    EXPECT_EQ(published.count(), 1);
    store->persistence.flush();
    EXPECT_NE(onDisk(), saved);
    EXPECT_EQ(stored().first().recognizedText(), u"text"_s);
}

TEST_F(HistoryPersistenceTest, ChangesGoToTheJournalAndQuittingFoldsThemIntoTheArchive) {
    EncryptedArchiveStore paths(dir.path(), secrets);
    const QString journal = paths.journalPath(ArchiveProtectionMode::localFile);
    {
        auto store = makeStore();
        store->history.capture(test::textClip(u"first"_s, Timestamp{1000}), 0);
        store->persistence.flush();
        const QByteArray archive = test::contents(paths.localArchivePath());
        store->history.capture(test::textClip(u"second"_s, Timestamp{1001}), 0);
        store->history.toggleFavorite(store->history.items().last().id());
        store->persistence.flush();
        EXPECT_EQ(test::contents(paths.localArchivePath()), archive) << "a change must not rewrite the archive";
        EXPECT_TRUE(QFileInfo::exists(journal));
        EXPECT_EQ(store->persistence.archiveDiskBytes(), archive.size() + QFileInfo(journal).size());
        EXPECT_EQ(titles(stored()), (QStringList{u"first"_s, u"second"_s}));
    }
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(titles(stored()), (QStringList{u"first"_s, u"second"_s}));
    EXPECT_EQ(makeStore()->history.items().first().isFavorite(), true);
}
