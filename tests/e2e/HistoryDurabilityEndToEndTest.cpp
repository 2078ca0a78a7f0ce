#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"

#include "core/archive/StowlineArchive.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TmpfsMount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

QString journalOf(const StowlineHome& home) {
    return home.archivePath() + u".journal"_s;
}

QStringList folderFiles(const StowlineHome& home) {
    return QDir(QFileInfo(home.archivePath()).path()).entryList(QDir::Files, QDir::Name);
}

QByteArray flipped(QByteArray bytes, qsizetype at) {
    bytes[at] = char(bytes[at] ^ 0x10);
    return bytes;
}

QByteArray lengthPastTheEnd(QByteArray bytes, qsizetype recordStart) {
    const quint32 length = 1 << 20;
    for (int i = 0; i < 4; ++i) {
        bytes[recordStart + i] = char((length >> (8 * i)) & 0xff);
        bytes[recordStart + 4 + i] = char((~length >> (8 * i)) & 0xff);
    }
    return bytes;
}

// A history of five imported clips, then three changes made by a running instance (each a journal record), then
// a kill: the archive and its journal as a crash leaves them. `lists[k]` is `list` after k changes.
class JournalOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        StowlineArchive archive;
        for (int i = 1; i <= 5; ++i)
            archive.items.append(test::textClip(u"clip %1"_s.arg(i), Timestamp{1000.0 - i}));
        const QString file = m_home.configHome() + u"/../import.json"_s;
        write(file, archive.encode());
        ASSERT_EQ(m_stowline.run({u"import"_s, file}).exitCode, 0);
        ASSERT_TRUE(m_stowline.startInBackground());
        m_lists.append(m_stowline.run({u"list"_s}).output);
        m_ends.append(20);
        // Favourites, not deletions: a deletion rewrites the archive at once.
        for (int change = 0; change < 3; ++change) {
            ASSERT_EQ(m_stowline.run({u"favorite"_s, u"5"_s}).exitCode, 0);
            const qint64 before = m_ends.size() == 1 ? 0 : m_ends.last();
            ASSERT_TRUE(waitUntil([&] { return QFileInfo(journalOf(m_home)).size() > before; }))
                << folderFiles(m_home).join(u' ').toStdString() << " "
                << m_stowline.statusValue(u"lastError"_s).toStdString();
            m_ends.append(QFileInfo(journalOf(m_home)).size());
            m_lists.append(m_stowline.run({u"list"_s}).output);
        }
        ::kill(pid_t(m_stowline.instance().processId()), SIGKILL);
        ASSERT_TRUE(m_stowline.waitForInstanceToEnd());
        m_archive = contents(m_home.archivePath());
        m_journal = contents(journalOf(m_home));
        ASSERT_EQ(m_journal.size(), m_ends.last());
    }

    void restore(const QByteArray& journal) {
        for (const QString& name : folderFiles(m_home)) {
            if (name.startsWith(u"history-"_s))
                QFile::remove(QFileInfo(m_home.archivePath()).path() + u'/' + name);
        }
        write(m_home.archivePath(), m_archive);
        write(journalOf(m_home), journal);
    }

    StowlineHome m_home;
    StowlineProcess m_stowline{m_home};
    QStringList m_lists;
    QList<qint64> m_ends;
    QByteArray m_archive;
    QByteArray m_journal;
};

} // namespace

TEST_F(JournalOnDisk, DamageNeverEmptiesTheHistoryOrPassesSilentlyAndReadingMovesNothing) {
    // The first byte of each record is at m_ends[k]; the header ends at 20.
    struct Case {
        const char* what;
        QByteArray journal;
        int readable;
    };
    const QByteArray& j = m_journal;
    const Case cases[] = {
        {"header flipped", flipped(j, 12), 0},
        {"garbage appended", j + QByteArray(100, 'g'), 3},
        {"last record's length flipped", flipped(j, m_ends[2] + 1), 2},
        {"middle record flipped", flipped(j, m_ends[1] + 30), 1},
        {"records swapped",
         j.first(20) + j.sliced(m_ends[1], m_ends[2] - m_ends[1]) + j.sliced(20, m_ends[1] - 20) + j.sliced(m_ends[2]),
         0},
        {"middle length past the end", lengthPastTheEnd(j, m_ends[1]), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        restore(c.journal);
        const QStringList before = folderFiles(m_home);
        const Finished listed = m_stowline.run({u"list"_s});
        EXPECT_EQ(listed.exitCode, 0) << listed.errors.toStdString();
        EXPECT_EQ(listed.output, m_lists[c.readable]);
        EXPECT_TRUE(listed.errors.contains(u"journal is damaged"_s)) << listed.errors.toStdString();
        EXPECT_EQ(folderFiles(m_home), before);
        EXPECT_EQ(contents(journalOf(m_home)), c.journal);
        EXPECT_EQ(contents(m_home.archivePath()), m_archive);
    }

    // The application keeps the damaged journal aside, says so, and its history holds what could be read.
    restore(flipped(j, m_ends[2] + 1));
    ASSERT_TRUE(m_stowline.startInBackground());
    EXPECT_EQ(m_stowline.run({u"list"_s}).output, m_lists[2]);
    EXPECT_TRUE(m_stowline.statusValue(u"lastError"_s).contains(u"could not read 1 change"_s));
    const QStringList kept = folderFiles(m_home).filter(u"history-unread-journal-"_s);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(contents(QFileInfo(m_home.archivePath()).path() + u'/' + kept.first()), flipped(j, m_ends[2] + 1));
    EXPECT_TRUE(folderFiles(m_home).filter(u"history-corrupt-"_s).isEmpty());
    ASSERT_EQ(m_stowline.run({u"quit"_s}).exitCode, 0);
    ASSERT_TRUE(m_stowline.waitForInstanceToEnd());
    EXPECT_EQ(m_stowline.run({u"list"_s}).output, m_lists[2]);
}

TEST_F(JournalOnDisk, AJournalThatDoesNotMatchItsArchiveIsKeptAndReported) {
    // No archive at all beside it.
    restore(m_journal);
    QFile::remove(m_home.archivePath());
    const Finished listed = m_stowline.run({u"list"_s});
    EXPECT_TRUE(listed.errors.contains(u"journal is damaged"_s)) << listed.errors.toStdString();
    EXPECT_EQ(contents(journalOf(m_home)), m_journal);
    ASSERT_TRUE(m_stowline.startInBackground());
    EXPECT_TRUE(m_stowline.statusValue(u"lastError"_s).contains(u"could not read 3 changes"_s));
    const QStringList kept = folderFiles(m_home).filter(u"history-unread-journal-"_s);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(contents(QFileInfo(m_home.archivePath()).path() + u'/' + kept.first()), m_journal);
}

TEST(HistoryLockEndToEnd, ASecondInstanceOnTheSameHistoryElsewhereSaysSoAndDoesNotStart) {
    StowlineHome home;
    StowlineProcess first(home);
    ASSERT_TRUE(first.startInBackground());
    // The same data folder, reached from another runtime folder (another display, or another computer sharing
    // the home), where the first instance's socket cannot be seen.
    QTemporaryDir otherRuntime;
    QProcessEnvironment elsewhere = home.environment();
    elsewhere.insert(u"XDG_RUNTIME_DIR"_s, otherRuntime.path());
    const auto runElsewhere = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(elsewhere);
        process.start(stowlineExecutable(), arguments);
        const bool ended = process.waitForFinished(20000);
        if (!ended)
            process.kill();
        return Finished{ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
                        QString::fromUtf8(process.readAllStandardError())};
    };

    const Finished second = runElsewhere({u"--background"_s});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.errors.contains(u"open in another Stowline (process %1 on"_s.arg(first.instance().processId())))
        << second.errors.toStdString();
    // Reading needs no lock; writing without the instance is refused while it runs.
    const Finished listed = runElsewhere({u"list"_s});
    EXPECT_EQ(listed.exitCode, 0) << listed.errors.toStdString();
    const Finished cleared = runElsewhere({u"clear"_s, u"--yes"_s});
    EXPECT_EQ(cleared.exitCode, 1);
    EXPECT_TRUE(cleared.errors.contains(u"open in another Stowline"_s)) << cleared.errors.toStdString();

    ASSERT_EQ(first.run({u"quit"_s}).exitCode, 0);
    ASSERT_TRUE(first.waitForInstanceToEnd());
    // Once it has gone the history is free again.
    EXPECT_EQ(runElsewhere({u"clear"_s, u"--yes"_s}).exitCode, 0);
}

namespace {

// Clips taken in by the running instance (or written offline when none runs), as `import` takes them.
void importTexts(const StowlineProcess& stowline, const StowlineHome& home, const QStringList& texts) {
    static int files = 0;
    StowlineArchive archive;
    for (const QString& text : texts)
        archive.items.append(test::textClip(text, Timestamp::now()));
    const QString file = home.configHome() + u"/../import-%1.json"_s.arg(++files);
    write(file, archive.encode());
    const Finished imported = stowline.run({u"import"_s, file});
    ASSERT_EQ(imported.exitCode, 0) << imported.errors.toStdString();
}

QStringList listedTitles(const StowlineProcess& stowline) {
    QStringList titles;
    for (const QString& line : stowline.run({u"list"_s}).output.split(u'\n', Qt::SkipEmptyParts))
        titles.append(line.section(u'\t', 3));
    titles.sort();
    return titles;
}

} // namespace

TEST(HistoryDurabilityEndToEnd, AQuitThatCannotSaveSaysWhatAndWhereAndKeepsRunningUntilItCan) {
    StowlineHome home;
    TmpfsMount disk(home.dataHome(), 2 << 20);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    importTexts(stowline, home, {u"saved 1"_s, u"saved 2"_s, u"saved 3"_s});
    ASSERT_TRUE(disk.fill());
    // Larger than what the last page of a file may still hold, so they need room the disk does not have.
    const QString bulk = u"\n"_s + QString(20000, u'x');
    importTexts(stowline, home, {u"unsaved 1"_s + bulk, u"unsaved 2"_s + bulk});
    ASSERT_TRUE(waitUntil([&] { return !stowline.statusValue(u"lastError"_s).isEmpty(); }));

    const Finished refused = stowline.run({u"quit"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(u"could not be saved in %1/org.stowline.Stowline"_s.arg(home.dataHome())))
        << refused.errors.toStdString();
    EXPECT_TRUE(refused.errors.contains(u"keeps running"_s));
    EXPECT_EQ(stowline.statusValue(u"clips"_s), u"5"_s);

    disk.makeRoom();
    const Finished quit = stowline.run({u"quit"_s});
    EXPECT_EQ(quit.exitCode, 0) << quit.errors.toStdString();
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    const QStringList titles = listedTitles(stowline);
    ASSERT_EQ(titles.size(), 5) << titles.join(u'|').toStdString();
    EXPECT_EQ(titles.first(3), (QStringList{u"saved 1"_s, u"saved 2"_s, u"saved 3"_s}));
    EXPECT_TRUE(titles[3].startsWith(u"unsaved 1"_s));
    EXPECT_TRUE(titles[4].startsWith(u"unsaved 2"_s));
}

TEST(HistoryDurabilityEndToEnd, ClipsCopiedWhileTheHistoryCannotBeOpenedSurviveAQuit) {
    StowlineHome home;
    StowlineProcess stowline(home);
    importTexts(stowline, home, {u"from before"_s});
    // The archive cannot be read (a folder in its place stops root too); its key can.
    const QString aside = home.dataHome() + u"/away.stwl"_s;
    ASSERT_TRUE(QFile::rename(home.archivePath(), aside));
    ASSERT_TRUE(QDir().mkpath(home.archivePath()));
    ASSERT_TRUE(stowline.startInBackground());
    EXPECT_TRUE(stowline.statusValue(u"lastError"_s).contains(u"cannot be opened"_s));
    ClipboardClients clients;
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "copied while closed"));
    ASSERT_TRUE(waitUntil([&] { return stowline.statusValue(u"clips"_s) == u"1"_s; }));
    const Finished quit = stowline.run({u"quit"_s});
    EXPECT_EQ(quit.exitCode, 0) << quit.errors.toStdString();
    ASSERT_TRUE(stowline.waitForInstanceToEnd());

    ASSERT_TRUE(QDir(home.archivePath()).removeRecursively());
    ASSERT_TRUE(QFile::rename(aside, home.archivePath()));
    ASSERT_TRUE(stowline.startInBackground());
    EXPECT_EQ(listedTitles(stowline), (QStringList{u"copied while closed"_s, u"from before"_s}));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}
