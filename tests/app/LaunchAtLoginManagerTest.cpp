#include "app/LaunchAtLoginManager.h"
#include "app/platform/xdg/XdgAutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// Reads an Exec= value back as a launcher does: undo the string escapes, then the quoting, then "%%".
std::optional<QStringList> parseExec(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            unescaped += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        const QChar c = value[i];
        unescaped += c == u's' ? u' ' : c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'r' ? u'\r' : c;
    }
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == u' ') {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            inArgument = true;
            for (++i;; ++i) {
                if (i == unescaped.size())
                    return std::nullopt; // unterminated
                QChar q = unescaped[i];
                if (q == u'"')
                    break;
                if (q == u'\\') {
                    if (++i == unescaped.size() || !u"\"`$\\"_s.contains(unescaped[i]))
                        return std::nullopt;
                    q = unescaped[i];
                }
                current += q;
            }
        } else {
            // Unquoted reserved characters are not allowed.
            if (u"\t\n\"'\\><~|&;$*?#()`"_s.contains(c))
                return std::nullopt;
            inArgument = true;
            current += c;
        }
    }
    if (inArgument)
        arguments.append(current);
    for (QString& argument : arguments) {
        QString plain;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] == u'%') {
                if (i + 1 == argument.size() || argument[i + 1] != u'%')
                    return std::nullopt; // a field code, which the entry never uses
                ++i;
            }
            plain += argument[i];
        }
        argument = plain;
    }
    return arguments;
}

QMap<QString, QString> readEntry(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), u"[Desktop Entry]");
    QMap<QString, QString> entry;
    for (const QString& line : lines.mid(1)) {
        const qsizetype equals = line.indexOf(u'=');
        EXPECT_GT(equals, 0) << line.toStdString();
        entry.insert(line.left(equals), line.mid(equals + 1));
    }
    return entry;
}

} // namespace

TEST(LaunchAtLoginManager, WritesReadsBackAndRemovesTheAutostartEntry) {
    QTemporaryDir configHome;
    XdgAutostartEntry entry(configHome.path());
    const QString folder = configHome.filePath(u"autostart"_s);
    EXPECT_EQ(entry.location(), folder + u"/org.stowline.Stowline.desktop"_s);

    // Removing what is not there succeeds and creates nothing.
    LaunchAtLoginManager manager(entry, u"/usr/bin/stowline"_s);
    EXPECT_TRUE(manager.setEnabled(false).ok());
    EXPECT_FALSE(QFileInfo::exists(folder));

    const mode_t previousMask = ::umask(077); // the entry's mode must not depend on the umask
    const auto enabled = manager.setEnabled(true);
    ::umask(previousMask);
    ASSERT_TRUE(enabled.ok());
    EXPECT_TRUE(manager.isInstalled());
    EXPECT_EQ(manager.fileLocation(), entry.location());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(entry.location()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    const auto values = readEntry(entry.location());
    EXPECT_EQ(values.value(u"Type"_s), u"Application");
    EXPECT_EQ(values.value(u"X-GNOME-Autostart-enabled"_s), u"true");
    EXPECT_EQ(parseExec(values.value(u"Exec"_s)), QStringList({u"/usr/bin/stowline"_s, u"--background"_s}));

    // Enabling again replaces the entry, so a moved executable is picked up.
    LaunchAtLoginManager moved(entry, u"/opt/stowline/bin/stowline"_s);
    ASSERT_TRUE(moved.setEnabled(true).ok());
    EXPECT_EQ(parseExec(readEntry(entry.location()).value(u"Exec"_s)).value_or(QStringList()).value(0),
              u"/opt/stowline/bin/stowline");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left behind

    ASSERT_TRUE(manager.setEnabled(false).ok());
    EXPECT_FALSE(manager.isInstalled());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(manager.setEnabled(false).ok());
}

TEST(LaunchAtLoginManager, AwkwardExecutablePathsSurviveTheQuoting) {
    const QString paths[] = {
        u"/home/ann/My Apps/stowline"_s,
        u"/home/ann/it's \"here\"/stowline"_s,
        u"/home/ann/back\\slash\\\\twice/stowline"_s,
        u"/home/ann/100%/%f %%u/stowline"_s,
        u"/home/ann/$HOME `id` ~;|&<>*?#()/stowline"_s,
        u"/home/ann/tab\there/new\nline/stowline"_s,
        u"/home/ann/caf\u00E9 \U0001F600/stowline"_s,
        u"/home/ann/a=b/stowline"_s,
        u" leading and trailing "_s,
        QString(),
    };
    QTemporaryDir configHome;
    XdgAutostartEntry entry(configHome.filePath(u"deeper/config"_s));
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(LaunchAtLoginManager(entry, path).setEnabled(true).ok());
        const QString exec = readEntry(entry.location()).value(u"Exec"_s);
        QStringList expected{path, u"--background"_s};
        if (path.contains(u'%')) // run through the shell, see XdgAutostartEntry::launchedArguments
            expected = QStringList{u"/bin/sh"_s, u"-c"_s, u"exec \"$0\" \"$@\""_s} + expected;
        EXPECT_EQ(parseExec(exec), expected) << exec.toStdString();
    }
}

TEST(LaunchAtLoginManager, RefusesWhatADesktopFileCannotCarryAndReportsFileFailures) {
    QTemporaryDir configHome;
    XdgAutostartEntry entry(configHome.path());
    const auto control = LaunchAtLoginManager(entry, u"/bin/odd\x01name"_s).setEnabled(true);
    ASSERT_FALSE(control.ok());
    EXPECT_EQ(control.error().step, LoginItemError::Step::encode);
    EXPECT_FALSE(entry.exists());

    // A file where the folder belongs.
    QFile blocker(configHome.filePath(u"autostart"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto blocked = LaunchAtLoginManager(entry, u"/usr/bin/stowline"_s).setEnabled(true);
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().step, LoginItemError::Step::createFolder);
}
