// Capture latency through Wayland's data-control, from the moment another client starts copying (wl-copy) until
// the clip is in the history, against a bare data-control reader on a connection of its own that only reads the
// copied text. Rounds alternate between the two (capture is paused while the bare reader measures), so both see
// the same compositor and the same owner. Needs a compositor with data-control: run inside
// scripts/with-wayland-session.sh sway.
#include "bench/BenchRegistry.h"

#include "app/capture/ClipboardMonitor.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/platform/wayland/DataControlProtocol.h"
#include "app/platform/wayland/WaylandFrontmostApplication.h"
#include "app/platform/wayland/WaylandPasteboard.h"
#include "app/platform/wayland/WaylandSession.h"
#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceStore.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/store/HistoryStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <wayland-client.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

using Clock = std::chrono::steady_clock;

// The least any data-control reader does: on a selection, ask for the text and read it to its end.
class BareReader {
public:
    bool start() {
        m_display = wl_display_connect(nullptr);
        if (m_display == nullptr)
            return false;
        wl_registry* registry = wl_display_get_registry(m_display);
        static const wl_registry_listener listener{
            [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
                auto* self = static_cast<BareReader*>(data);
                const QByteArray found(interface);
                if (found == "wl_seat" && self->m_seat == nullptr)
                    self->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
                const DataControlProtocol* protocol =
                    found == "ext_data_control_manager_v1"    ? &DataControlProtocol::ext()
                    : found == "zwlr_data_control_manager_v1" ? &DataControlProtocol::wlr()
                                                              : nullptr;
                if (protocol != nullptr && self->m_manager == nullptr) {
                    self->m_protocol = protocol;
                    self->m_manager = static_cast<wl_proxy*>(wl_registry_bind(
                        registry, name, protocol->managerInterface(), std::min(version, protocol->maximumVersion())));
                }
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(m_display);
        if (m_manager == nullptr || m_seat == nullptr)
            return false;
        wl_proxy* device = m_protocol->getDevice(m_manager, m_seat);
        static const DataControlProtocol::OfferListener offerListener{[](void*, wl_proxy*, const char*) {}};
        static const DataControlProtocol::DeviceListener deviceListener{
            [](void* data, wl_proxy*, wl_proxy* offer) {
                DataControlProtocol::addListener(offer, &offerListener, data);
            },
            [](void* data, wl_proxy*, wl_proxy* offer) { static_cast<BareReader*>(data)->selection(offer); },
            [](void*, wl_proxy*) {},
            [](void*, wl_proxy*, wl_proxy* offer) {
                if (offer != nullptr)
                    DataControlProtocol::destroyObject(offer);
            }};
        DataControlProtocol::addListener(device, &deviceListener, this);
        wl_display_roundtrip(m_display);
        m_thread = std::thread([this] { loop(); });
        return true;
    }
    ~BareReader() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_display != nullptr)
            wl_display_disconnect(m_display);
    }
    void arm() {
        const std::lock_guard lock(m_mutex);
        m_armed = true;
        m_done.reset();
    }
    std::optional<Clock::time_point> done() {
        const std::lock_guard lock(m_mutex);
        return m_done;
    }

private:
    void selection(wl_proxy* offer) {
        if (m_previous != nullptr)
            DataControlProtocol::destroyObject(m_previous);
        m_previous = offer;
        {
            const std::lock_guard lock(m_mutex);
            if (offer == nullptr || !m_armed)
                return;
            m_armed = false;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        DataControlProtocol::receive(offer, "text/plain;charset=utf-8", fds[1]);
        close(fds[1]);
        wl_display_flush(m_display);
        QByteArray text;
        char buffer[65536];
        ssize_t count = 0;
        while ((count = read(fds[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, count);
        close(fds[0]);
        const std::lock_guard lock(m_mutex);
        if (!text.isEmpty())
            m_done = Clock::now();
    }
    void loop() {
        while (!m_stop) {
            while (wl_display_prepare_read(m_display) != 0)
                wl_display_dispatch_pending(m_display);
            wl_display_flush(m_display);
            pollfd fd{wl_display_get_fd(m_display), POLLIN, 0};
            if (poll(&fd, 1, 50) > 0)
                wl_display_read_events(m_display);
            else
                wl_display_cancel_read(m_display);
            wl_display_dispatch_pending(m_display);
        }
    }

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_previous = nullptr;
    const DataControlProtocol* m_protocol = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    bool m_armed = false;
    std::optional<Clock::time_point> m_done;
};

// Waits with the event loop running; false when `condition` did not hold within the time.
bool spinUntil(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int run(const QStringList&) {
    QTextStream out(stdout);
    const std::shared_ptr<WaylandSession> session = WaylandSession::open();
    BareReader bare;
    if (!session || !session->canReadClipboard() || !bare.start()) {
        out << "needs a Wayland compositor with data-control: run inside scripts/with-wayland-session.sh sway\n";
        return 1;
    }
    QTemporaryDir dir;
    HistoryStore store;
    AppPreferences preferences(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    FakeTextRecognizer recognizer;
    ImageTextRecognitionCoordinator coordinator(store, recognizer);
    WaylandPasteboard pasteboard(session);
    WaylandFrontmostApplication frontmost(session);
    ClipboardMonitor monitor(pasteboard, frontmost, store, preferences, coordinator);
    monitor.start();
    bool captured = false;
    QObject::connect(&monitor, &ClipboardMonitor::captured, &monitor, [&] { captured = true; });

    const auto copy = [](int round) {
        auto process = std::make_unique<QProcess>();
        process->start(u"wl-copy"_s, {u"A paragraph copied in round %1, with a link https://example.org/page and "
                                      u"more words to make it a realistic length for a text copy."_s.arg(round)});
        return process;
    };
    std::vector<double> stowlineMs;
    std::vector<double> bareMs;
    constexpr int rounds = 15;
    for (int round = 0; round < 2 * rounds; ++round) {
        const bool measuresBare = round % 2 == 0;
        preferences.setCaptureEnabled(!measuresBare);
        captured = false;
        if (measuresBare)
            bare.arm();
        const Clock::time_point started = Clock::now();
        const auto process = copy(round);
        const bool done =
            measuresBare ? spinUntil([&] { return bare.done().has_value(); }) : spinUntil([&] { return captured; });
        const Clock::time_point finished = measuresBare ? bare.done().value_or(started) : Clock::now();
        process->waitForFinished(5000);
        if (!done) {
            out << "round " << round << ": no " << (measuresBare ? "bare read" : "capture") << " happened\n";
            return 1;
        }
        (measuresBare ? bareMs : stowlineMs)
            .push_back(std::chrono::duration<double, std::milli>(finished - started).count());
    }
    const double stowline = median(stowlineMs);
    const double floor = median(bareMs);
    out << "capture through data-control: " << stowline << " ms median of " << rounds << "\n";
    out << "bare data-control read: " << floor << " ms median of " << rounds << "\n";
    out << "ratio=" << stowline / floor << '\n';
    return 0;
}

const bench::Registration registration(u"wayland-capture"_s, run);

} // namespace
