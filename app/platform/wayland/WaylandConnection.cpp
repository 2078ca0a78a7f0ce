#include "app/platform/wayland/WaylandConnection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace stowline {

namespace {

void registryGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    auto* globals = static_cast<QList<WaylandConnection::Global>*>(data);
    globals->append({name, QByteArray(interface), version});
}

void registryGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{registryGlobal, registryGlobalRemove};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = display;
    connection->m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(connection->m_registry, &registryListener, &connection->m_globals);
    connection->m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (connection->m_wakeFd < 0 || wl_display_roundtrip(display) < 0)
        return nullptr;
    for (const Global& global : std::as_const(connection->m_globals))
        connection->m_capabilities.noteGlobal(QString::fromLatin1(global.interface));
    connection->m_seat = static_cast<wl_seat*>(connection->bind(&wl_seat_interface, 1));
    // A reader that goes away while we write a transfer to it must end that transfer, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    return connection;
}

WaylandConnection::~WaylandConnection() {
    stop();
    if (m_seat != nullptr)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_seat));
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    if (m_display != nullptr)
        wl_display_disconnect(m_display);
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void* WaylandConnection::bind(const wl_interface* interface, uint32_t maximumVersion, uint32_t* boundVersion) {
    const auto global = std::find_if(m_globals.cbegin(), m_globals.cend(),
                                     [&](const Global& g) { return g.interface == interface->name; });
    if (global == m_globals.cend())
        return nullptr;
    const uint32_t version = std::min({global->version, maximumVersion, uint32_t(interface->version)});
    if (boundVersion != nullptr)
        *boundVersion = version;
    return wl_registry_bind(m_registry, global->name, interface, version);
}

void WaylandConnection::start() {
    if (!m_worker.joinable())
        m_worker = std::thread([this] { run(); });
}

void WaylandConnection::stop() {
    m_stopping = true;
    wake();
    if (m_worker.joinable())
        m_worker.join();
}

void WaylandConnection::post(std::function<void()> job) {
    {
        const std::lock_guard lock(m_jobsMutex);
        if (m_stopping)
            return;
        m_jobs.push_back(std::move(job));
    }
    wake();
}

void WaylandConnection::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);
}

void WaylandConnection::watch(int fd, short events, std::function<void(short)> handler) {
    m_watches[fd] = {events, std::make_shared<std::function<void(short)>>(std::move(handler))};
}

void WaylandConnection::unwatch(int fd) {
    m_watches.erase(fd);
}

quint64 WaylandConnection::addTimer(Clock::time_point when, std::function<void()> handler) {
    const quint64 id = m_nextTimerId++;
    m_timers.emplace(when, std::pair(id, std::move(handler)));
    return id;
}

void WaylandConnection::cancelTimer(quint64 id) {
    const auto found =
        std::find_if(m_timers.begin(), m_timers.end(), [id](const auto& timer) { return timer.second.first == id; });
    if (found != m_timers.end())
        m_timers.erase(found);
}

void WaylandConnection::runPostedJobs() {
    std::vector<std::function<void()>> jobs;
    {
        const std::lock_guard lock(m_jobsMutex);
        jobs.swap(m_jobs);
    }
    for (auto& job : jobs)
        job();
}

void WaylandConnection::runDueTimers() {
    const Clock::time_point now = Clock::now();
    while (!m_timers.empty() && m_timers.begin()->first <= now) {
        std::function<void()> handler = std::move(m_timers.begin()->second.second);
        m_timers.erase(m_timers.begin());
        handler();
    }
}

int WaylandConnection::pollTimeout() const {
    if (m_timers.empty())
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(m_timers.begin()->first - Clock::now());
    return int(std::clamp<qint64>(wait.count(), 0, 60'000));
}

void WaylandConnection::run() {
    const int displayFd = wl_display_get_fd(m_display);
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<std::function<void(short)>>> handlers;
    while (!m_stopping) {
        runPostedJobs();
        runDueTimers();
        while (wl_display_prepare_read(m_display) != 0)
            wl_display_dispatch_pending(m_display);
        short displayEvents = POLLIN;
        if (wl_display_flush(m_display) < 0) {
            if (errno != EAGAIN) {
                wl_display_cancel_read(m_display);
                break;
            }
            displayEvents |= POLLOUT;
        }

        fds.assign({{displayFd, displayEvents, 0}, {m_wakeFd, POLLIN, 0}});
        handlers.clear();
        for (const auto& [fd, watch] : m_watches) {
            fds.push_back({fd, watch.events, 0});
            handlers.push_back(watch.handler);
        }
        if (poll(fds.data(), fds.size(), pollTimeout()) < 0 && errno != EINTR) {
            wl_display_cancel_read(m_display);
            break;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            if (wl_display_read_events(m_display) < 0)
                break;
        } else {
            wl_display_cancel_read(m_display);
        }
        if ((fds[0].revents & (POLLERR | POLLHUP)) != 0 && (fds[0].revents & POLLIN) == 0)
            break;
        if (wl_display_dispatch_pending(m_display) < 0)
            break;
        if ((fds[1].revents & POLLIN) != 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(m_wakeFd, &count, sizeof count);
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            // A handler may have unwatched this descriptor, or closed and reused its number, meanwhile.
            const auto current = m_watches.find(fds[i].fd);
            if (fds[i].revents != 0 && current != m_watches.end() && current->second.handler == handlers[i - 2])
                (*handlers[i - 2])(fds[i].revents);
        }
    }
    if (!m_stopping)
        m_lost = true;
    const std::lock_guard lock(m_jobsMutex);
    m_stopping = true;
    m_jobs.clear();
}

} // namespace stowline
