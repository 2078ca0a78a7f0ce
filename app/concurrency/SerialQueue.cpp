#include "app/concurrency/SerialQueue.h"

#include <algorithm>
#include <cerrno>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace stowline {

namespace {

// Added to the nice value of a utility worker; on Linux the nice value of a thread id belongs to that thread alone.
constexpr int utilityNiceIncrement = 10;

} // namespace

SerialQueue::SerialQueue(QString label, Priority priority)
    : m_label(std::move(label)), m_priority(priority), m_worker([this] { loop(); }) {}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SerialQueue::post(std::function<void()> job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        ++m_posted;
    }
    m_wake.notify_one();
}

quint64 SerialQueue::postedCount() {
    std::lock_guard lock(m_mutex);
    return m_posted;
}

void SerialQueue::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void SerialQueue::loop() {
    // Thread names are limited to 15 bytes: keep the suffix, which is what tells the queues apart.
    const QByteArray name = m_label.toUtf8().right(15);
    pthread_setname_np(pthread_self(), name.constData());
    if (m_priority == Priority::utility) {
        const id_t thread = id_t(gettid());
        errno = 0;
        const int current = getpriority(PRIO_PROCESS, thread);
        // Best effort: a worker that keeps the normal priority still does its work.
        if (errno == 0)
            (void)setpriority(PRIO_PROCESS, thread, std::min(current + utilityNiceIncrement, 19));
    }
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            if (m_stopping)
                return;
            continue;
        }
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        job();
        lock.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

} // namespace stowline
