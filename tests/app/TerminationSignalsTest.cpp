#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <signal.h>

using namespace stowline;

namespace {

using Handler = void (*)(int);

Handler currentHandler(int signalNumber) {
    struct sigaction action {};
    ::sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

TEST(TerminationSignals, DeliversEachSignalThroughTheEventLoopAndRestoresTheHandlers) {
    // Ignored for the test's sake, so a handler that failed to install ends nothing; put back afterwards.
    const Handler termBefore = ::signal(SIGTERM, SIG_IGN);
    const Handler intBefore = ::signal(SIGINT, SIG_IGN);
    {
        TerminationSignals handlers;
        ASSERT_TRUE(handlers.isInstalled());
        // Only one set of handlers can own the process's signals.
        EXPECT_FALSE(TerminationSignals().isInstalled());
        QSignalSpy received(&handlers, &TerminationSignals::received);
        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_EQ(::raise(SIGINT), 0);
        // Nothing is delivered inside the handler itself.
        EXPECT_EQ(received.count(), 0);
        const QDeadlineTimer deadline(5'000);
        while (received.count() < 2 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(received.count(), 2);
        EXPECT_EQ(received[0][0].toInt(), SIGTERM);
        EXPECT_EQ(received[1][0].toInt(), SIGINT);
    }
    EXPECT_EQ(currentHandler(SIGTERM), SIG_IGN);
    EXPECT_EQ(currentHandler(SIGINT), SIG_IGN);
    // A new owner can install them again once the first is gone.
    EXPECT_TRUE(TerminationSignals().isInstalled());
    ::signal(SIGTERM, termBefore);
    ::signal(SIGINT, intBefore);
}
