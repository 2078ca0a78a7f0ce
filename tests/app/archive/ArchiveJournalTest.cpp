#include "app/archive/EncryptedArchiveStore.h"

#include "app/platform/fake/FakeSecretStore.h"
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

TEST_F(ArchiveJournalTest, AJournalLeftFromBeforeTheArchiveWasRewrittenIsIgnored) {
    capture(u"second"_s);
    const QByteArray oldJournal = contents(journal());
    // The archive was renamed into place but the crash came before the journal was emptied.
    m_history.deleteItem(m_history.at(0).id());
    ASSERT_TRUE(m_store.save(m_history, Mode::localFile).ok());
    EXPECT_FALSE(QFileInfo::exists(journal()));
    write(journal(), oldJournal);
    EXPECT_EQ(titles(loaded()), QStringList{u"first"_s});
    // The next change replaces the stale journal.
    capture(u"fifth"_s);
    EXPECT_EQ(titles(loaded()), (QStringList{u"fifth"_s, u"first"_s}));
}

TEST_F(ArchiveJournalTest, ADamagedRecordBeforeTheLastIsMovedAsideWithItsArchive) {
    const qint64 firstEnd = capture(u"second"_s);
    capture(u"third"_s);
    QByteArray damaged = contents(journal());
    damaged[firstEnd - 3] = char(damaged[firstEnd - 3] ^ 1);
    write(journal(), damaged);
    const QByteArray archiveBytes = contents(archive());

    const auto result = m_store.load(Mode::localFile);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().disposition, ArchiveLoadError::Disposition::movedAside);
    EXPECT_FALSE(QFileInfo::exists(archive()));
    EXPECT_FALSE(QFileInfo::exists(journal()));
    EXPECT_EQ(contents(result.error().quarantinePath), archiveBytes);
    EXPECT_EQ(contents(result.error().quarantinePath + u".journal"_s), damaged);
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
