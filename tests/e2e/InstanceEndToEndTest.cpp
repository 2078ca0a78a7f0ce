#include "tests/e2e/StowlineProcess.h"

#include "core/archive/StowlineArchive.h"
#include "tests/support/ClipBuilders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <signal.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

TEST(InstanceEndToEnd, ALaterStartTalksToTheRunningOneAndEnds) {
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    const auto before = stowline.status();
    ASSERT_TRUE(before);
    EXPECT_EQ(before->value(u"panelRequests"_s), u"0"_s);
    EXPECT_EQ(before->value(u"pid"_s).toLongLong(), stowline.instance().processId());

    const Finished plain = stowline.run({});
    EXPECT_EQ(plain.exitCode, 0) << plain.errors.toStdString();
    const Finished background = stowline.run({u"--background"_s});
    EXPECT_EQ(background.exitCode, 0);
    EXPECT_TRUE(background.output.contains(u"already running"));
    const Finished shown = stowline.run({u"show"_s});
    EXPECT_EQ(shown.exitCode, 0);

    // The plain start and `show` asked for the panel; the background start did not.
    const auto after = stowline.status();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->value(u"panelRequests"_s), u"2"_s);
    EXPECT_EQ(after->value(u"pid"_s), before->value(u"pid"_s));
    EXPECT_EQ(stowline.instance().state(), QProcess::Running);
}

TEST(InstanceEndToEnd, QuitWritesTheHistoryAndEndsCleanly) {
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());

    const Finished quit = stowline.run({u"quit"_s});
    EXPECT_EQ(quit.exitCode, 0) << quit.errors.toStdString();
    EXPECT_FALSE(quit.output.isEmpty());
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    EXPECT_EQ(stowline.instance().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(stowline.instance().exitCode(), 0);
    // The save that start-up scheduled was written before the answer, and the socket went with the process.
    EXPECT_TRUE(QFileInfo::exists(home.archivePath()));
    EXPECT_FALSE(QFileInfo::exists(home.socketPath()));

    for (const QString& command : {u"status"_s, u"quit"_s}) {
        SCOPED_TRACE(command.toStdString());
        const Finished alone = stowline.run({command});
        EXPECT_EQ(alone.exitCode, 1);
        EXPECT_TRUE(alone.errors.contains(u"Stowline is not running."));
    }
}

TEST(InstanceEndToEnd, ASocketLeftByACrashDoesNotBlockTheNextStart) {
    StowlineHome home;
    StowlineProcess crashed(home);
    ASSERT_TRUE(crashed.startInBackground());
    ::kill(pid_t(crashed.instance().processId()), SIGKILL);
    ASSERT_TRUE(crashed.waitForInstanceToEnd());
    ASSERT_TRUE(QFileInfo::exists(home.socketPath()));

    StowlineProcess next(home);
    ASSERT_TRUE(next.startInBackground());
    const auto status = next.status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->value(u"pid"_s).toLongLong(), next.instance().processId());
    EXPECT_EQ(next.run({u"quit"_s}).exitCode, 0);
    EXPECT_TRUE(next.waitForInstanceToEnd());
}

TEST(InstanceEndToEnd, StartsThatRaceLeaveExactlyOneInstance) {
    StowlineHome home;
    StowlineProcess stowline(home);
    // Both at once with none running; the lock beside the socket decides which one stays.
    QProcess racers[2];
    for (QProcess& racer : racers) {
        racer.setProcessEnvironment(home.environment());
        racer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        racer.start(QStringLiteral(STOWLINE_EXECUTABLE), {u"--background"_s});
    }
    ASSERT_TRUE(waitUntil(
        [&] { return racers[0].state() == QProcess::NotRunning || racers[1].state() == QProcess::NotRunning; }));
    QProcess& loser = racers[0].state() == QProcess::NotRunning ? racers[0] : racers[1];
    QProcess& winner = &loser == &racers[0] ? racers[1] : racers[0];
    EXPECT_EQ(loser.exitCode(), 0);
    ASSERT_EQ(winner.state(), QProcess::Running);
    const auto status = stowline.status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->value(u"pid"_s).toLongLong(), winner.processId());
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return winner.state() == QProcess::NotRunning; }));
}

TEST(InstanceEndToEnd, TheCommandLineRejectsWhatItDoesNotKnow) {
    StowlineHome home;
    StowlineProcess stowline(home);
    const Finished unknown = stowline.run({u"frobnicate"_s});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errors.contains(u"frobnicate"));
    const Finished help = stowline.run({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains(u"toggle"));
}

TEST(InstanceEndToEnd, ImportAndExportGoThroughTheRunningInstance) {
    StowlineHome home;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    const QString backup = home.dataHome() + u"/backup.json"_s;
    {
        StowlineArchive archive;
        archive.items = {textClip(u"imported while running"_s, Timestamp::now())};
        QFile file(backup);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(archive.encode());
    }
    const Finished imported = stowline.run({u"import"_s, backup});
    ASSERT_EQ(imported.exitCode, 0) << imported.errors.toStdString();
    EXPECT_TRUE(imported.errors.contains(u"imported 1 entries (1 new, 0 already in the history)"_s));
    EXPECT_EQ(stowline.status()->value(u"clips"_s), u"1"_s);

    // A file that is not an export is named and changes nothing.
    const QString broken = home.dataHome() + u"/broken.json"_s;
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"schemaVersion\":");
    }
    const Finished refused = stowline.run({u"import"_s, broken});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(broken));
    EXPECT_EQ(stowline.status()->value(u"clips"_s), u"1"_s);

    // The export comes from the running history, to a file or to standard output, with the offline warnings.
    const QString exportedPath = home.dataHome() + u"/exported.json"_s;
    const Finished toFile = stowline.run({u"export"_s, exportedPath});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.errors.toStdString();
    EXPECT_TRUE(toFile.errors.contains(u"holds the history unencrypted"_s));
    EXPECT_EQ(QFile::permissions(exportedPath) &
                  ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
              QFile::Permissions());
    const Finished toOutput = stowline.run({u"export"_s});
    ASSERT_EQ(toOutput.exitCode, 0);
    EXPECT_TRUE(toOutput.errors.contains(u"not encrypted"_s));
    QFile exportedFile(exportedPath);
    ASSERT_TRUE(exportedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(exportedFile.readAll(), toOutput.output.toUtf8());
    auto decoded = StowlineArchive::decode(toOutput.output.toUtf8());
    ASSERT_TRUE(decoded.ok());
    ASSERT_EQ(decoded->items.size(), 1);
    EXPECT_EQ(decoded->items.first().title(), u"imported while running"_s);
    // No exchange file is left beside the socket.
    EXPECT_EQ(QDir(home.runtimeDir()).entryList({u"*.json"_s}, QDir::Files), QStringList());

    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    // It was on disk before the answer to the import.
    const Finished offline = stowline.run({u"list"_s});
    EXPECT_TRUE(offline.output.startsWith(u"1\t"_s)) << offline.output.toStdString();
    EXPECT_TRUE(offline.output.endsWith(u"\ttext\timported while running\n"_s)) << offline.output.toStdString();
}
