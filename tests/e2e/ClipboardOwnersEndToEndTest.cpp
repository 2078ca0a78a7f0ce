// Clipboard owners as they are in the wild: slow, silent, huge or windowless. The running application keeps
// answering whatever the owner does, every type keeps its own data, and whose copy it is is decided by who owns it.
#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/TestClipboardOwner.h"

#include "app/preferences/AppPreferences.h"
#include "core/archive/StowlineArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

// An instance whose GUI thread is free answers at once; one that waits for an owner would not within this.
constexpr int answerBoundMs = 2000;

QList<ClipItem> exported(const StowlineHome& home, const StowlineProcess& stowline) {
    const QString path = home.dataHome() + u"/export.json"_s;
    if (stowline.run({u"export"_s, path, u"--force"_s}).exitCode != 0)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    auto archive = StowlineArchive::decode(file.readAll());
    return archive.ok() ? archive->items : QList<ClipItem>();
}

bool reachesCount(const StowlineHome& home, const StowlineProcess& stowline, qsizetype count) {
    return waitUntil([&] { return exported(home, stowline).size() == count; }, 20000);
}

QByteArray xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    process.waitForFinished(10000);
    return process.readAllStandardOutput().trimmed();
}

} // namespace

TEST(ClipboardOwnersEndToEnd, NoOwnerStallsTheApplicationOrShiftsATypesData) {
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    const auto answers = [&] { return stowline.run({u"status"_s}, answerBoundMs).exitCode == 0; };

    {
        TestClipboardOwner silent({{u"UTF8_STRING"_s, "never served"}}, {u"--never-answer"_s});
        ASSERT_TRUE(silent.isReady());
        ASSERT_TRUE(silent.waitUntilAsked("TARGETS"));
        EXPECT_TRUE(answers()) << "an owner that never answers";
    }
    {
        // Busy on its first request, as a loaded office suite is: every answer still goes to its own type.
        TestClipboardOwner busy({{u"UTF8_STRING"_s, "plain words"},
                                 {u"text/html"_s, "<b>html words</b>"},
                                 {u"text/rtf"_s, "{\\rtf1 rtf words}"}},
                                {u"--busy-first=6000"_s});
        ASSERT_TRUE(busy.isReady());
        ASSERT_TRUE(busy.waitUntilAsked("TARGETS"));
        EXPECT_TRUE(answers()) << "an owner busy for 6 s";
        ASSERT_TRUE(reachesCount(home, stowline, 1));
        const ClipRepresentations expected{{0, TypeIdentifier::plainText, "plain words"},
                                           {0, TypeIdentifier::rtf, "{\\rtf1 rtf words}"},
                                           {0, TypeIdentifier::html, "<b>html words</b>"}};
        EXPECT_EQ(exported(home, stowline).value(0).representations(), expected);
    }
    {
        // 768 MiB of HTML: the read stops at the cap, so memory stays bounded and the text beside it is kept.
        const qint64 before = peakResidentBytes(stowline.instance().processId());
        TestClipboardOwner huge({{u"UTF8_STRING"_s, "beside a huge offer"}, {u"text/html"_s, "@805306368"}});
        ASSERT_TRUE(huge.isReady());
        ASSERT_TRUE(huge.waitUntilAsked("text/html"));
        EXPECT_TRUE(answers()) << "a 768 MiB offer";
        ASSERT_TRUE(reachesCount(home, stowline, 2));
        const ClipRepresentations expected{{0, TypeIdentifier::plainText, "beside a huge offer"}};
        EXPECT_EQ(exported(home, stowline).value(0).representations(), expected);
        EXPECT_LT(peakResidentBytes(stowline.instance().processId()) - before, 64 * 1024 * 1024);
    }
    {
        TestClipboardOwner crowded({{u"UTF8_STRING"_s, "among twenty thousand targets"}}, {u"--extra-targets=20000"_s});
        ASSERT_TRUE(crowded.isReady());
        ASSERT_TRUE(crowded.waitUntilAsked("TARGETS"));
        EXPECT_TRUE(answers()) << "20,000 targets";
        ASSERT_TRUE(reachesCount(home, stowline, 3));
        EXPECT_EQ(exported(home, stowline).value(0).title(), u"among twenty thousand targets"_s);
    }
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

TEST(ClipboardOwnersEndToEnd, AWindowlessCopyWhileStowlineHasTheFocusIsCaptured) {
    StowlineHome home;
    ClipboardClients clients;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    ASSERT_EQ(stowline.run({u"show"_s}).exitCode, 0);
    const QByteArray ownPid = QByteArray::number(stowline.instance().processId());
    ASSERT_TRUE(waitUntil([&] { return xdotool({u"getactivewindow"_s, u"getwindowpid"_s}) == ownPid; }));

    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "from a script"));
    ASSERT_TRUE(reachesCount(home, stowline, 1));
    const ClipItem clip = exported(home, stowline).value(0);
    EXPECT_EQ(clip.title(), u"from a script"_s);
    EXPECT_EQ(clip.sourceBundleIdentifier(), std::nullopt) << "the window in front was not its source";
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

// KeePassXC's window class is "keepassxc"; its desktop entry is org.keepassxc.KeePassXC with that StartupWMClass.
TEST(ClipboardOwnersEndToEnd, AnApplicationIsExcludedByItsDesktopEntryWhateverItsWindowClass) {
    StowlineHome home;
    const QString applications = home.dataHome() + u"/applications"_s;
    ASSERT_TRUE(QDir().mkpath(applications));
    // Its program is `true`: GIO counts an entry as installed only when its Exec program is found.
    QFile entry(applications + u"/org.keepassxc.KeePassXC.desktop"_s);
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=KeePassXC\nExec=true\nStartupWMClass=keepassxc\n");
    entry.close();
    {
        QDir().mkpath(QFileInfo(home.preferencesPath()).path());
        QSettings stored(home.preferencesPath(), QSettings::IniFormat);
        stored.setValue(u"privacyExclusionsEnabled"_s, true);
        // Current, so no migration of an older layout sets exclusions back to off.
        stored.setValue(u"preferencesSchema"_s, AppPreferences::currentSchema);
    }
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());

    TestClipboardOwner vault({{u"UTF8_STRING"_s, "copied in the vault"}}, {u"--class=keepassxc"_s});
    ASSERT_TRUE(vault.isReady());
    // The next copy, from an application nobody excludes, is the sentinel: the vault's never arrives before it.
    TestClipboardOwner editor({{u"UTF8_STRING"_s, "copied in an editor"}}, {u"--class=stowline-e2e-editor"_s});
    ASSERT_TRUE(editor.isReady());
    ASSERT_TRUE(reachesCount(home, stowline, 1)) << stowline.listedKindsAndTitles().join(u" | "_s).toStdString();
    const ClipItem clip = exported(home, stowline).value(0);
    EXPECT_EQ(clip.title(), u"copied in an editor"_s);
    EXPECT_EQ(clip.sourceBundleIdentifier(), u"stowline-e2e-editor"_s);
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}
