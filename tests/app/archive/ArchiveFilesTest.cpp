#include "app/archive/ArchiveFiles.h"

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace stowline;
using namespace stowline::test;
using namespace Qt::StringLiterals;

TEST(ArchiveFiles, AFileWrittenForTheUserNeverGoesThroughALinkOrOverAnotherFile) {
    QTemporaryDir dir;
    const QString victim = dir.filePath(u"victim"_s);
    write(victim, "precious");
    QDir(dir.path()).mkdir(u"folder"_s);
    QFile::link(victim, dir.filePath(u"link"_s));
    write(dir.filePath(u"existing"_s), "old");

    struct Case {
        const char* name;
        bool replace;
        const char16_t* refusal;
    };
    const Case cases[] = {
        {"link", false, u"is a symbolic link"},
        {"link", true, u"is a symbolic link"},
        {"folder", true, u"is not a regular file"},
        {"existing", false, u"already exists; give --force to replace it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto written = ArchiveFiles::writeNewFile(dir.filePath(QString::fromLatin1(c.name)), "export", c.replace);
        ASSERT_FALSE(written.ok());
        EXPECT_TRUE(written.error().reason.contains(QString::fromUtf16(c.refusal)))
            << written.error().reason.toStdString();
    }
    EXPECT_EQ(contents(victim), "precious");
    EXPECT_EQ(contents(dir.filePath(u"existing"_s)), "old");

    ASSERT_TRUE(ArchiveFiles::writeNewFile(dir.filePath(u"existing"_s), "new", true).ok());
    EXPECT_EQ(contents(dir.filePath(u"existing"_s)), "new");
    ASSERT_TRUE(ArchiveFiles::writeNewFile(dir.filePath(u"fresh"_s), "export", false).ok());
    EXPECT_EQ(contents(dir.filePath(u"fresh"_s)), "export");
    EXPECT_EQ(permissionsOf(dir.filePath(u"fresh"_s)), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // No temporary file is left behind, after a refusal or a write.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 4);
}

TEST(ArchiveFiles, AFolderOthersCanWriteToIsRefusedUnlessSticky) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"shared"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    const auto open = ArchiveFiles::writeNewFile(folder + u"/export.json"_s, "export", false);
    ASSERT_FALSE(open.ok());
    EXPECT_TRUE(open.error().reason.contains(u"writable by other users"));
    EXPECT_FALSE(QFile::exists(folder + u"/export.json"_s));

    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
    EXPECT_TRUE(ArchiveFiles::writeNewFile(folder + u"/export.json"_s, "export", false).ok());
}
