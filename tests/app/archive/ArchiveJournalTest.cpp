#include "app/archive/EncryptedArchiveStore.h"

#include "app/platform/fake/FakeSecretStore.h"
#include "core/archive/HistoryJournal.h"
#include "core/archive/StowlineCipher.h"
#include "core/history/HistoryEngine.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace stowline::test;
using namespace Qt::StringLiterals;

namespace {

using Mode = ArchiveProtectionMode;

// A history saved once as an archive, then changed capture by capture through the journal.
class ArchiveJournalTest : public ::testing::Test {
protected:
    QString folder() const { return m_home.path() + u"/org.stowline.Stowline"_s; }
    QString archive() const { return m_store.localArchivePath(); }
    QString journal() const { return m_store.journalPath(Mode::localFile); }

    void SetUp() override {
        m_history = HistoryEngine({textClip(u"first"_s)});
        ASSERT_TRUE(m_store.save(m_history.items(), Mode::localFile).ok());
        ASSERT_TRUE(m_store.loadHistory(Mode::localFile, TextFolder()).ok());
    }

    // Captures `text` and saves the change; returns the journal's length afterwards.
    qint64 capture(const QString& text, Mode mode = Mode::localFile) {
        m_history.ingest(textClip(text, Timestamp{double(2000 + m_history.size())}), 0);
        EXPECT_TRUE(m_store.saveChange(m_history, mode).ok());
        return QFileInfo(m_store.journalPath(mode)).size();
    }

    // Read as the application reads it, so later changes are saved as changes to it.
    QList<ClipItem> loaded(Mode mode = Mode::localFile) {
        auto result = m_store.loadHistory(mode, TextFolder());
        EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().error.describe().toStdString());
        return result.ok() ? result->items() : QList<ClipItem>{};
    }

    QTemporaryDir m_home;
    FakeSecretStore m_secrets;
    EncryptedArchiveStore m_store{folder(), m_secrets};
    HistoryEngine m_history;
};

} // namespace

TEST_F(ArchiveJournalTest, AChangeIsAppendedBesideTheArchiveWhichStaysAsItWas) {
    const QByteArray archiveBefore = contents(archive());
    const qint64 afterOne = capture(u"second"_s);
    const qint64 afterTwo = capture(u"third"_s);
    EXPECT_EQ(contents(archive()), archiveBefore);
    EXPECT_GT(afterTwo, afterOne);
    EXPECT_LT(afterTwo - afterOne, 2000);
    EXPECT_EQ(permissionsOf(journal()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(m_store.diskSize(Mode::localFile), archiveBefore.size() + afterTwo);

    // The archive alone still reads as the history it was written with.
    const auto atRest = StowlineCipher::open(contents(archive()), contents(m_store.localKeyPath()));
    ASSERT_TRUE(atRest.ok());
    EXPECT_EQ(titles(atRest->items), QStringList{u"first"_s});
    EXPECT_EQ(loaded(), m_history.items());
}

TEST_F(ArchiveJournalTest, ACrashBeforeTheAppendReachedTheDiskLosesOnlyThatChange) {
    capture(u"second"_s);
    const QList<ClipItem> beforeTorn = m_history.items();
    const qint64 complete = QFileInfo(journal()).size();
    const qint64 withThird = capture(u"third"_s);
    const QByteArray whole = contents(journal());
    for (const qint64 cut : {complete + 4, withThird - 1}) {
        write(journal(), whole.first(cut));
        EXPECT_EQ(loaded(), beforeTorn);
        EXPECT_TRUE(QDir(folder()).entryList({u"history-corrupt-*"_s}).isEmpty());
    }
    // The next change is written where the torn one began, so the journal reads to its end again.
    m_history = HistoryEngine(beforeTorn);
    ASSERT_TRUE(m_store.loadHistory(Mode::localFile, TextFolder()).ok());
    capture(u"fourth"_s);
    EXPECT_EQ(loaded(), m_history.items());
}

TEST_F(ArchiveJournalTest, ACrashAroundTheArchivesRenameLosesNothingAndRaisesNoAlarm) {
    capture(u"second"_s);
    const QByteArray oldArchive = contents(archive());
    // The journal as the rename left it: the rewrite's fold record is in, the removal has not happened yet.
    QByteArray atRename;
    ArchiveFiles::setFolderSyncForTesting([&](const QString&) {
        if (atRename.isEmpty())
            atRename = contents(journal());
        return true;
    });
    m_history.deleteItem(m_history.at(0).id());
    const bool saved = m_store.save(m_history, Mode::localFile).ok();
    ArchiveFiles::setFolderSyncForTesting(nullptr);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(QFileInfo::exists(journal()));

    // Killed after the rename: the journal says it is in the new archive.
    write(journal(), atRename);
    EXPECT_EQ(titles(loaded()), QStringList{u"first"_s});
    EXPECT_FALSE(m_store.journalDamage(Mode::localFile));
    capture(u"fifth"_s);
    EXPECT_EQ(titles(loaded()), (QStringList{u"fifth"_s, u"first"_s}));

    // Killed before the rename: the old archive with its journal, whose fold names an archive that never came.
    write(archive(), oldArchive);
    write(journal(), atRename);
    EXPECT_EQ(titles(loaded()), (QStringList{u"second"_s, u"first"_s}));
    EXPECT_FALSE(m_store.journalDamage(Mode::localFile));
    EXPECT_TRUE(QDir(folder()).entryList({u"history-unread-*"_s}).isEmpty());
}

TEST_F(ArchiveJournalTest, ADamagedJournalIsKeptAsideAndTheArchiveWithTheChangesBeforeTheDamageOpens) {
    const qint64 firstEnd = capture(u"second"_s);
    const qint64 secondEnd = capture(u"third"_s);
    const QByteArray whole = contents(journal());
    // Another history's journal: a second store with its own key and archive.
    QTemporaryDir otherHome;
    EncryptedArchiveStore other(otherHome.path(), m_secrets);
    HistoryEngine otherHistory({textClip(u"elsewhere"_s)});
    ASSERT_TRUE(other.save(otherHistory, Mode::localFile).ok());
    otherHistory.ingest(textClip(u"not ours"_s, Timestamp{3000}), 0);
    ASSERT_TRUE(other.saveChange(otherHistory, Mode::localFile).ok());
    const QByteArray othersJournal = contents(other.journalPath(Mode::localFile));

    const auto flip = [](QByteArray bytes, qint64 at) {
        bytes[at] = char(bytes[at] ^ 0x10);
        return bytes;
    };
    const qsizetype headerEnd = HistoryJournal::headerByteCount;
    struct Case {
        const char* what;
        QByteArray journal;
        QStringList titles;
        qint64 unreadable;
    };
    const Case cases[] = {
        {"header", flip(whole, 12), {u"first"_s}, 2},
        {"middle record", flip(whole, firstEnd + 30), {u"second"_s, u"first"_s}, 1},
        {"last record's length", flip(whole, firstEnd + 1), {u"second"_s, u"first"_s}, 1},
        {"garbage appended", whole + QByteArray(100, 'g'), {u"third"_s, u"second"_s, u"first"_s}, 1},
        {"swapped",
         whole.first(headerEnd) + whole.sliced(firstEnd, secondEnd - firstEnd) +
             whole.sliced(headerEnd, firstEnd - headerEnd),
         {u"first"_s},
         2},
        {"another history's", othersJournal, {u"first"_s}, 1},
    };
    const QByteArray archiveBytes = contents(archive());
    const QStringList clean = snapshot(folder()).keys();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(journal(), c.journal);
        write(archive(), archiveBytes);
        const QMap<QString, QByteArray> before = snapshot(folder());

        // Read-only: reported, and nothing moved, rewritten or removed.
        auto readOnly = m_store.load(Mode::localFile, EncryptedArchiveStore::Access::readOnly);
        ASSERT_TRUE(readOnly.ok());
        EXPECT_EQ(titles(readOnly->items), c.titles);
        ASSERT_TRUE(m_store.journalDamage(Mode::localFile));
        EXPECT_FALSE(m_store.journalDamage(Mode::localFile)->movedAside);
        EXPECT_EQ(snapshot(folder()), before);

        EXPECT_EQ(titles(loaded()), c.titles);
        const auto damage = m_store.journalDamage(Mode::localFile);
        ASSERT_TRUE(damage);
        EXPECT_EQ(damage->unreadableChanges, c.unreadable);
        EXPECT_TRUE(damage->since);
        EXPECT_TRUE(damage->movedAside);
        EXPECT_EQ(contents(damage->keptAt), c.journal);
        // The archive is never blamed; it now holds what was read, without a journal.
        EXPECT_TRUE(QDir(folder()).entryList({u"history-corrupt-*"_s}).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(journal()));
        EXPECT_EQ(titles(loaded()), c.titles);
        EXPECT_FALSE(m_store.journalDamage(Mode::localFile));
        QFile::remove(damage->keptAt);
    }
    // Only the journal's place changed hands; the folder holds nothing else.
    QStringList after = snapshot(folder()).keys();
    after.append(journal().mid(folder().size()));
    after.sort();
    EXPECT_EQ(after, clean);
}

TEST_F(ArchiveJournalTest, AJournalThatDoesNotMatchItsArchiveIsKeptAsideNotDropped) {
    capture(u"second"_s);
    const QByteArray orphan = contents(journal());
    // An older archive put back over the one the journal extends, and no archive at all.
    const QByteArray older = contents(archive());
    m_history.deleteItem(m_history.at(1).id());
    ASSERT_TRUE(m_store.save(m_history, Mode::localFile).ok());
    capture(u"third"_s);
    const QByteArray current = contents(journal());
    write(archive(), older);
    EXPECT_EQ(titles(loaded()), QStringList{u"first"_s});
    ASSERT_TRUE(m_store.journalDamage(Mode::localFile));
    EXPECT_EQ(contents(m_store.journalDamage(Mode::localFile)->keptAt), current);

    QFile::remove(archive());
    write(journal(), orphan);
    EXPECT_TRUE(loaded().isEmpty());
    ASSERT_TRUE(m_store.journalDamage(Mode::localFile));
    EXPECT_EQ(contents(m_store.journalDamage(Mode::localFile)->keptAt), orphan);
    EXPECT_FALSE(QFileInfo::exists(journal()));
}

TEST_F(ArchiveJournalTest, TheArchiveIsRewrittenOnceTheJournalOutgrowsItsShare) {
    m_store.setCompactionLimits(100, 0, 3);
    capture(u"second"_s);
    capture(u"third"_s);
    capture(u"fourth"_s);
    EXPECT_TRUE(m_store.hasJournalRecords(Mode::localFile));
    // The fourth change would pass the record limit: the archive takes everything and the journal is emptied.
    capture(u"fifth"_s);
    EXPECT_FALSE(QFileInfo::exists(journal()));
    EXPECT_FALSE(m_store.hasJournalRecords(Mode::localFile));
    const auto atRest = StowlineCipher::open(contents(archive()), contents(m_store.localKeyPath()));
    ASSERT_TRUE(atRest.ok());
    EXPECT_EQ(atRest->items, m_history.items());
    EXPECT_EQ(loaded(), m_history.items());
}

TEST_F(ArchiveJournalTest, MovingToTheKeyringTakesTheJournalsChangesAndLeavesNoJournalBehind) {
    capture(u"second"_s);
    capture(u"third"_s);
    const QList<ClipItem> current = loaded();
    ASSERT_EQ(current, m_history.items());
    const auto migrated = m_store.migrate(current, Mode::localFile, Mode::keychain, {});
    ASSERT_TRUE(migrated.ok());
    EXPECT_FALSE(QFileInfo::exists(journal()));
    EXPECT_FALSE(QFileInfo::exists(archive()));
    EXPECT_EQ(loaded(Mode::keychain), m_history.items());
    // Changes after the move go to the keyring archive's journal.
    capture(u"fourth"_s, Mode::keychain);
    EXPECT_TRUE(QFileInfo::exists(m_store.journalPath(Mode::keychain)));
    EXPECT_EQ(loaded(Mode::keychain), m_history.items());
}

TEST_F(ArchiveJournalTest, AKillAtAnyStepOfAProtectionChangeLosesNothing) {
    for (const auto& [from, to] :
         {std::pair{Mode::localFile, Mode::keychain}, std::pair{Mode::keychain, Mode::localFile}}) {
        SCOPED_TRACE(from == Mode::localFile ? "to the keyring" : "to the key file");
        if (from == Mode::keychain) {
            ASSERT_TRUE(m_store.save(m_history, Mode::keychain).ok());
            for (const QString& stale : {archive(), journal(), m_store.localKeyPath()})
                QFile::remove(stale);
        }
        capture(u"changed before the move"_s, from);
        ASSERT_TRUE(QFileInfo::exists(m_store.journalPath(from)));

        // The folder as a kill would leave it after each write of the move, then after each removal.
        QList<QMap<QString, QByteArray>> states{snapshot(folder())};
        ArchiveFiles::setFolderSyncForTesting([&](const QString&) {
            states.append(snapshot(folder()));
            return true;
        });
        const auto moved = m_store.migrate(m_history.items(), from, to, {});
        ArchiveFiles::setFolderSyncForTesting(nullptr);
        ASSERT_TRUE(moved.ok());
        QMap<QString, QByteArray> state = states.last();
        for (const QString& removed : {m_store.archivePath(from), m_store.localKeyPath()}) {
            if (from == Mode::localFile || removed != m_store.localKeyPath()) {
                state.remove(removed.mid(folder().size()));
                states.append(state);
            }
        }
        states.append(snapshot(folder()));

        for (qsizetype step = 0; step < states.size(); ++step) {
            SCOPED_TRACE(step);
            QDir(folder()).removeRecursively();
            for (auto it = states[step].cbegin(); it != states[step].cend(); ++it) {
                QDir().mkpath(QFileInfo(folder() + it.key()).path());
                write(folder() + it.key(), it.value());
            }
            // The preference names `from` until the move has reported success.
            EncryptedArchiveStore reopened(folder(), m_secrets);
            const Mode mode = reopened.modeHoldingHistory(from);
            auto result = reopened.load(mode);
            ASSERT_TRUE(result.ok());
            EXPECT_EQ(result->items, m_history.items());
            EXPECT_FALSE(reopened.journalDamage(mode));
        }
        ASSERT_TRUE(m_store.load(to).ok());
    }
}
