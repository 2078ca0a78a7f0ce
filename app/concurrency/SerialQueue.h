#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace stowline {

// A worker thread that runs posted jobs one at a time, in the order they were posted.
class SerialQueue {
public:
    // How much of the processor the worker claims beside the interface: `utility` work (text recognition) yields
    // to everything else.
    enum class Priority { userInitiated, utility };

    // `label` is the application identifier followed by a suffix such as ".save".
    explicit SerialQueue(QString label, Priority priority = Priority::userInitiated);
    // Runs what was already posted, then stops the worker.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const QString& label() const { return m_label; }

    void post(std::function<void()> job);
    // Blocks until every job posted before the call has finished.
    void waitUntilIdle();

    // Runs `work` on the queue and hands its result to `done` on the thread of `context`; `done` is dropped when
    // `context` is gone by then (the caller is held weakly).
    template <typename Work, typename Done>
    void run(QObject* context, Work work, Done done) {
        QPointer<QObject> guard(context);
        post([guard, work = std::move(work), done = std::move(done)]() mutable {
            auto result = work();
            if (!guard)
                return;
            QMetaObject::invokeMethod(
                guard.data(),
                [guard, done = std::move(done), result = std::move(result)]() mutable {
                    if (guard)
                        done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

private:
    void loop();

    QString m_label;
    Priority m_priority;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace stowline
