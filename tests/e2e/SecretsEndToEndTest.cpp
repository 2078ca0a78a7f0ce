#include "tests/e2e/StowlineProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

// Allows core files of any size for this test's children, as a user who turned them on would; restored after.
class CoreDumpsAllowed {
public:
    CoreDumpsAllowed() {
        ::getrlimit(RLIMIT_CORE, &m_previous);
        const rlimit allowed{m_previous.rlim_max, m_previous.rlim_max};
        m_allowed = m_previous.rlim_max != 0 && ::setrlimit(RLIMIT_CORE, &allowed) == 0;
    }
    ~CoreDumpsAllowed() { ::setrlimit(RLIMIT_CORE, &m_previous); }
    bool allowed() const { return m_allowed; }

private:
    rlimit m_previous{};
    bool m_allowed = false;
};

QString corePattern() {
    QFile file(u"/proc/sys/kernel/core_pattern"_s);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).trimmed() : QString();
}

} // namespace

TEST(SecretsEndToEnd, ACrashWithCoreDumpsAllowedWritesNoCore) {
    // Only a core written into the crashing process's folder can be looked for here.
    const QString pattern = corePattern();
    if (pattern.isEmpty() || pattern.startsWith(u'|') || pattern.contains(u'/'))
        GTEST_SKIP() << "the kernel sends core dumps to '" << pattern.toStdString()
                     << "', not into the crashing process's folder, where this test looks for them";
    const CoreDumpsAllowed allowCores;
    if (!allowCores.allowed())
        GTEST_SKIP() << "this session forbids core dumps (hard limit 0), so a crash could not write one anyway";

    StowlineHome home;
    QTemporaryDir crashFolder;
    ASSERT_TRUE(crashFolder.isValid());
    StowlineProcess stowline(home);
    stowline.setWorkingDirectory(crashFolder.path());
    ASSERT_TRUE(stowline.startInBackground());
    // The first save creates the key; from then on the process holds it.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(home.keyPath()).size() == 32; }));
    QFile keyFile(home.keyPath());
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    const QByteArray key = keyFile.readAll();

    ::kill(pid_t(stowline.instance().processId()), SIGSEGV);
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    EXPECT_EQ(stowline.instance().exitStatus(), QProcess::CrashExit);

    const QStringList cores = QDir(crashFolder.path()).entryList({u"core*"_s}, QDir::Files);
    for (const QString& core : cores) {
        QFile file(QDir(crashFolder.path()).filePath(core));
        const bool holdsKey = file.open(QIODevice::ReadOnly) && file.readAll().contains(key);
        ADD_FAILURE() << "the crash wrote " << core.toStdString() << " (" << file.size() << " bytes), "
                      << (holdsKey ? "which holds the archive key" : "without the archive key in it");
    }
}

TEST(SecretsEndToEnd, ExportNeverFollowsALinkNorReplacesAFileUnlessForced) {
    StowlineHome home;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString victim = folder.filePath(u"victim"_s);
    const QString link = folder.filePath(u"planted"_s);
    const QString existing = folder.filePath(u"existing.json"_s);
    const auto writeFile = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    // Without an instance the command line writes the export itself; with one it writes what the instance gave.
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "with a running instance" : "without an instance");
        StowlineProcess stowline(home);
        if (running) {
            ASSERT_TRUE(stowline.startInBackground());
        }
        ASSERT_TRUE(writeFile(victim, "precious"));
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(victim, link));
        ASSERT_TRUE(writeFile(existing, "old"));

        for (const QString& path : {link, existing}) {
            const Finished refused = stowline.run({u"export"_s, path});
            EXPECT_EQ(refused.exitCode, 1) << path.toStdString();
            EXPECT_FALSE(refused.errors.isEmpty());
        }
        EXPECT_EQ(read(victim), "precious");
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(read(existing), "old");
        // Asked for, an existing file is replaced; a link never is followed.
        EXPECT_EQ(stowline.run({u"export"_s, existing, u"--force"_s}).exitCode, 0);
        EXPECT_TRUE(read(existing).startsWith('{') || read(existing).startsWith('['));
        EXPECT_EQ(stowline.run({u"export"_s, link, u"--force"_s}).exitCode, 1);
        EXPECT_EQ(read(victim), "precious");
        if (running) {
            EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
            EXPECT_TRUE(stowline.waitForInstanceToEnd());
        }
    }
}
