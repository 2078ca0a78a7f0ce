#pragma once

#include "app/platform/wayland/WaylandCapabilities.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;

namespace stowline {

// Stowline's own connection to the compositor, independent of the one the toolkit may have. Set up on the
// calling thread; once started, a worker thread owns it: it waits with poll() on the display, a wake-up eventfd,
// the descriptors its users watch and their deadlines, and dispatches everything there. Other threads reach it
// only through `post`.
class WaylandConnection {
public:
    using Clock = std::chrono::steady_clock;

    struct Global {
        uint32_t name = 0;
        QByteArray interface;
        uint32_t version = 0;
    };

    // Nothing when WAYLAND_DISPLAY names no compositor that answers.
    static std::unique_ptr<WaylandConnection> open();
    // Stops the worker; what was bound must be destroyed before.
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    const WaylandCapabilities& capabilities() const { return m_capabilities; }
    wl_display* display() const { return m_display; }
    // The first seat; null when the compositor has none.
    wl_seat* seat() const { return m_seat; }
    // Binds a global announced at connection time, at the lower of its version and `maximumVersion`; null when
    // the compositor does not offer it. Before `start` or on the worker.
    void* bind(const wl_interface* interface, uint32_t maximumVersion, uint32_t* boundVersion = nullptr);

    // Hands the connection to the worker thread.
    void start();
    // Ends the worker after the job it runs; later posts are dropped. The objects bound on the connection may
    // then be destroyed from the calling thread.
    void stop();
    // Runs `job` on the worker, in posting order. From any thread.
    void post(std::function<void()> job);
    bool isWorkerThread() const { return std::this_thread::get_id() == m_worker.get_id(); }
    // Whether the compositor ended the connection or broke it.
    bool isLost() const { return m_lost.load(); }

    // Worker only: calls `handler` with the poll events whenever `fd` is ready for `events`, until unwatched.
    void watch(int fd, short events, std::function<void(short)> handler);
    void unwatch(int fd);
    // Worker only: calls `handler` once at `when`, unless cancelled first. Ids are never reused.
    quint64 addTimer(Clock::time_point when, std::function<void()> handler);
    void cancelTimer(quint64 id);

private:
    WaylandConnection() = default;
    void run();
    void runPostedJobs();
    void runDueTimers();
    int pollTimeout() const;
    void wake();

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    QList<Global> m_globals;
    WaylandCapabilities m_capabilities;
    int m_wakeFd = -1;

    std::thread m_worker;
    std::atomic<bool> m_stopping = false;
    std::atomic<bool> m_lost = false;
    std::mutex m_jobsMutex;
    std::vector<std::function<void()>> m_jobs;

    struct Watch {
        short events = 0;
        std::shared_ptr<std::function<void(short)>> handler;
    };
    std::map<int, Watch> m_watches;
    std::multimap<Clock::time_point, std::pair<quint64, std::function<void()>>> m_timers;
    quint64 m_nextTimerId = 1;
};

} // namespace stowline
