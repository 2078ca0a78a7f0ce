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
    EXPECT_EQ(values.value(u"Exec"_s), u"/usr/bin/stowline --background");

    // Enabling again replaces the entry, so a moved executable is picked up.
    LaunchAtLoginManager moved(entry, u"/opt/stowline/bin/stowline"_s);
    ASSERT_TRUE(moved.setEnabled(true).ok());
    EXPECT_EQ(readEntry(entry.location()).value(u"Exec"_s), u"/opt/stowline/bin/stowline --background");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left behind

    ASSERT_TRUE(manager.setEnabled(false).ok());
    EXPECT_FALSE(manager.isInstalled());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(manager.setEnabled(false).ok());
}

TEST(LaunchAtLoginManager, RefusesWhatADesktopFileCannotCarry) {
    QTemporaryDir configHome;
    XdgAutostartEntry entry(configHome.path());
    const auto control = LaunchAtLoginManager(entry, u"/bin/odd\x01name"_s).setEnabled(true);
    ASSERT_FALSE(control.ok());
    EXPECT_EQ(control.error().step, LoginItemError::Step::encode);
    EXPECT_FALSE(entry.exists());
}
