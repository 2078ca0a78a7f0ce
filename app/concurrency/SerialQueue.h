#pragma once

#include <QCoreApplication>
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
    // Jobs posted since the queue was made, to tell whether delivering results posted more.
    quint64 postedCount();
    // Blocks until every job posted before the call has finished.
    void waitUntilIdle();
    // Hands the results of finished `run` jobs to their callbacks now instead of through the event loop; on the
    // thread that created the queue.
    void deliverResults() { QCoreApplication::sendPostedEvents(&m_receiver, QEvent::MetaCall); }

    // Runs `work` on the queue and hands its result to `done` on the thread that created the queue, which must be
    // the thread of `context`; `done` is dropped when `context` is gone by then (the caller is held weakly). The
    // guard is read only on that thread, when the result arrives.
    template <typename Work, typename Done>
    void run(QObject* context, Work work, Done done) {
        Q_ASSERT(context && context->thread() == m_receiver.thread());
        QPointer<QObject> guard(context);
        post([receiver = &m_receiver, guard, work = std::move(work), done = std::move(done)]() mutable {
            auto result = work();
            QMetaObject::invokeMethod(
                receiver,
                [guard = std::move(guard), done = std::move(done), result = std::move(result)]() mutable {
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
    // Lives on the creating thread and receives the results; results still on their way when the queue goes are
    // dropped with it. The worker has stopped by then.
    QObject m_receiver;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    quint64 m_posted = 0;
    std::thread m_worker;
};

} // namespace stowline
