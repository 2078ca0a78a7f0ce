#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceKeys.h"
#include "app/preferences/PreferenceStore.h"
#include "core/archive/StowlineArchive.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

using namespace stowline::test;

struct ProcessRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Entries last used one second apart, the first at `newest`.
QByteArray exportOf(const QStringList& texts, double newest = 100) {
    StowlineArchive archive;
    double used = newest;
    for (const QString& text : texts)
        archive.items.append(test::textClip(text, Timestamp{used--}));
    return archive.encode();
}

// The real executable against a home of its own: nothing of the user's is read or written.
class StowlineExecutableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.isValid()); }

    QString path(const QString& name) const { return m_home.path() + u'/' + name; }
    QString dataFolder() const { return path(u"data/org.stowline.Stowline"_s); }
    PreferenceStore preferences() const {
        return PreferenceStore(path(u"config/org.stowline.Stowline/Stowline.conf"_s));
    }

    ProcessRun run(const QStringList& arguments, const QProcessEnvironment& extra = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_s, path(u"data"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, path(u"config"_s));
        environment.insert(u"HOME"_s, m_home.path());
        // A runtime folder of its own: no running instance of the session takes these commands.
        QDir().mkpath(path(u"runtime"_s));
        QFile::setPermissions(path(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"_s));
        for (const QString& key : extra.keys())
            environment.insert(key, extra.value(key));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(STOWLINE_EXECUTABLE), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        ProcessRun result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QStringList exportedTitles() {
        const ProcessRun exported = run({u"export"_s});
        EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        const auto archive = StowlineArchive::decode(exported.out);
        EXPECT_TRUE(archive.ok());
        return archive ? titles(archive->items) : QStringList();
    }

    QTemporaryDir m_home;
};

} // namespace

TEST_F(StowlineExecutableTest, ExportsAndImportsWithMessagesAndExitCodes) {
    const QString target = path(u"backup.json"_s);
    const ProcessRun empty = run({u"export"_s, target});
    ASSERT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_EQ(empty.err, u"stowline: warning: "_s + target +
                             u" holds the history unencrypted; keep it private and delete it when done\n"_s);
    EXPECT_EQ(contents(target), QByteArray(R"({"schemaVersion":2,"items":[]})"));
    // Nothing to export creates no archive and no key.
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));

    const QString incoming = path(u"incoming.json"_s);
    write(incoming, exportOf({u"first"_s, u"second"_s, u"third"_s}));
    const ProcessRun imported = run({u"import"_s, incoming});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.err, u"stowline: imported 3 entries (3 new, 0 already in the history); the history holds 3\n"_s);
    EXPECT_TRUE(QFileInfo::exists(dataFolder() + u"/history-local.stwl"_s));

    const ProcessRun toStdout = run({u"export"_s});
    ASSERT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.err, u"stowline: warning: the exported history is not encrypted\n"_s);
    EXPECT_EQ(exportedTitles(), (QStringList{u"first"_s, u"second"_s, u"third"_s}));

    // The history limit comes from the preferences, of a layout a start would not reset.
    preferences().setInteger(PreferenceKeys::preferencesSchema, AppPreferences::currentSchema);
    preferences().setInteger(PreferenceKeys::historyLimit, 4);
    write(incoming, exportOf({u"second"_s, u"fourth"_s, u"fifth"_s}, 200));
    const ProcessRun limited = run({u"import"_s, incoming});
    ASSERT_EQ(limited.exitCode, 0) << limited.err.toStdString();
    EXPECT_EQ(limited.err, u"stowline: imported 3 entries (2 new, 1 already in the history); the history holds 4 "
                           u"after 1 were dropped by the history limit of 4\n"_s);
    EXPECT_EQ(exportedTitles(), (QStringList{u"second"_s, u"fourth"_s, u"fifth"_s, u"first"_s}));
}

TEST_F(StowlineExecutableTest, FailuresExitNonZeroWithOneLineAndChangeNothing) {
    const QString incoming = path(u"incoming.json"_s);
    write(incoming, exportOf({u"kept"_s}));
    ASSERT_EQ(run({u"import"_s, incoming}).exitCode, 0);
    const QString archive = dataFolder() + u"/history-local.stwl"_s;
    const QByteArray archiveBytes = contents(archive);

    const QString broken = path(u"broken.json"_s);
    QByteArray json = exportOf({u"a"_s, u"b"_s});
    json.replace(json.lastIndexOf("\"contentHash\""), 13, "\"contentHush\"");
    write(broken, json);
    // The parser's own table holds every usage error; one shows that it exits with 2.
    const struct {
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {{u"import"_s, broken},
         1,
         u"stowline: "_s + broken +
             u" is not a Stowline export (entry 1: the key \"contentHash\" is missing); nothing was imported\n"_s},
        {{u"import"_s, path(u"missing.json"_s)},
         1,
         u"stowline: cannot read "_s + path(u"missing.json"_s) +
             u" (No such file or directory); nothing was imported\n"_s},
        {{u"export"_s, u"a"_s, u"b"_s}, 2, u"stowline: export takes at most one file; see stowline --help\n"_s},
        {{u"export"_s, path(u"no/such/folder.json"_s)},
         1,
         u"stowline: cannot write "_s + path(u"no/such/folder.json"_s)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const ProcessRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_TRUE(result.err.startsWith(c.message)) << result.err.toStdString();
        EXPECT_EQ(result.err.count(u'\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_EQ(contents(archive), archiveBytes);
        EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"history-local.stwl"_s});
    }

    // A damaged archive is named; `export` only reads, so it leaves it where it is for the application.
    QByteArray damaged = archiveBytes;
    damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 0x80);
    write(archive, damaged);
    const ProcessRun unreadable = run({u"export"_s});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_TRUE(unreadable.out.isEmpty());
    EXPECT_TRUE(QDir(dataFolder()).entryList({u"history-corrupt-*.stwl"_s}, QDir::Files).isEmpty());
    EXPECT_EQ(unreadable.err,
              u"stowline: the history archive is unreadable (the archive cannot be decrypted (wrong key or damaged "
              u"file)); it was left as it is\n"_s);
    EXPECT_EQ(contents(archive), damaged);
}
