#include "tests/e2e/StowlineProcess.h"

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
        racer.start(stowlineExecutable(), {u"--background"_s});
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
