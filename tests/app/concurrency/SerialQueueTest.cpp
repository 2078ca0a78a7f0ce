#include "app/concurrency/SerialQueue.h"

#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(SerialQueue, RunsJobsInOrderOneAtATimeOffTheCallingThread) {
    SerialQueue queue(u"org.stowline.Stowline.test"_s);
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> onCaller{false};
    const auto caller = std::this_thread::get_id();
    for (int i = 0; i < 50; ++i) {
        queue.post([&, i] {
            if (running.fetch_add(1) != 0)
                overlapped = true;
            onCaller = onCaller || std::this_thread::get_id() == caller;
            QThread::usleep(100);
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    queue.waitUntilIdle();
    ASSERT_EQ(order.size(), 50u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(onCaller);
}

TEST(SerialQueue, AUtilityWorkerRunsBelowTheCallersPriority) {
    SerialQueue utility(u"org.stowline.Stowline.ocr"_s, SerialQueue::Priority::utility);
    SerialQueue normal(u"org.stowline.Stowline.capture"_s);
    int utilityNice = 0;
    int normalNice = 0;
    utility.post([&] { utilityNice = getpriority(PRIO_PROCESS, id_t(gettid())); });
    normal.post([&] { normalNice = getpriority(PRIO_PROCESS, id_t(gettid())); });
    utility.waitUntilIdle();
    normal.waitUntilIdle();
    EXPECT_EQ(normalNice, getpriority(PRIO_PROCESS, id_t(gettid())));
    EXPECT_GT(utilityNice, normalNice);
}

TEST(SerialQueue, DeliversResultsOnTheContextThreadAndDropsThemForAGoneContext) {
    SerialQueue queue(u"org.stowline.Stowline.test"_s);
    QObject context;
    std::optional<int> delivered;
    bool onMainThread = false;
    queue.run(
        &context, [] { return 41 + 1; },
        [&](int value) {
            delivered = value;
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    EXPECT_TRUE(test::waitUntil([&] { return delivered.has_value(); }, 5000));
    EXPECT_EQ(delivered, 42);
    EXPECT_TRUE(onMainThread);

    bool calledForGone = false;
    auto gone = std::make_unique<QObject>();
    queue.run(
        gone.get(), [] { return 1; }, [&](int) { calledForGone = true; });
    gone.reset();
    queue.waitUntilIdle();
    queue.deliverResults();
    EXPECT_FALSE(calledForGone);
}

TEST(SerialQueue, DestructionFinishesJobsAlreadyPosted) {
    std::atomic<int> finished{0};
    {
        SerialQueue queue(u"org.stowline.Stowline.test"_s);
        for (int i = 0; i < 5; ++i) {
            queue.post([&] {
                QThread::msleep(10);
                ++finished;
            });
        }
    }
    EXPECT_EQ(finished, 5);
}
