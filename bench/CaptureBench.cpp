// Capture latency on X11: from the moment the X server announces another application's copy until the entry is
// in the history, through the application's reader (an X connection and thread of its own) against the reader it
// replaced (QClipboard, read on the GUI thread), alternating in the same run. A thread of the bench's own marks the
// announcement, so neither reader's way of learning of the change counts for or against it. For each capture the
// longest stall of the GUI thread is kept as well. Needs an X session (scripts/with-desktop-session.sh).
// A GTK 3 application also copies a screenshot with gtk_clipboard_set_image, which offers every image format
// gdk-pixbuf writes and encodes each one on request: the whole capture against a bare read of its PNG.
#include "bench/BenchRegistry.h"
#include "bench/QtClipboardPasteboard.h"

#include "app/capture/ClipboardMonitor.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/platform/x11/X11FrontmostApplication.h"
#include "app/platform/x11/X11Pasteboard.h"
#include "app/platform/x11/XcbConnection.h"
#include "app/preferences/AppPreferences.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/store/HistoryStore.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <xcb/xfixes.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <poll.h>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

using Clock = std::chrono::steady_clock;

QByteArray screenshotPng() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1920, 1080);
    gradient.setColorAt(0, QColor(236, 240, 244));
    gradient.setColorAt(1, QColor(190, 205, 225));
    painter.fillRect(image.rect(), gradient);
    // Bars where a screenshot has lines of text (drawing glyphs would need a GUI application).
    for (int line = 0; line < 12; ++line)
        painter.fillRect(80, 100 + line * 44, 600 + (line * 97) % 400, 24, QColor(40, 40, 48));
    painter.end();
    QRandomGenerator random(7);
    for (int y = 540; y < 1080; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 960; x < 1920; ++x)
            row[x] = qRgb(x % 256, y % 256, static_cast<int>(random.bounded(256)));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

double median(QList<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.at(samples.size() / 2);
}

// Notes when the X server announces a new CLIPBOARD owner, on a connection and thread of its own.
class ChangeWatcher {
public:
    ChangeWatcher() : m_connection(xcb_connect(nullptr, nullptr)) {
        const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
        if (xcb_connection_has_error(m_connection) != 0 || xfixes == nullptr || !xfixes->present)
            return;
        m_event = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        free(xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
        const XcbPointer<xcb_intern_atom_reply_t> clipboard(
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, 9, "CLIPBOARD"), nullptr));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_xfixes_select_selection_input(m_connection, root, clipboard ? clipboard->atom : xcb_atom_t{XCB_NONE},
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        xcb_flush(m_connection);
        m_thread = std::thread([this] { watch(); });
    }
    ~ChangeWatcher() {
        m_stopping = true;
        if (m_thread.joinable())
            m_thread.join();
        xcb_disconnect(m_connection);
    }

    bool isValid() const { return m_thread.joinable(); }
    int changes() const { return m_changes; }
    Clock::time_point lastChange() const { return Clock::time_point(Clock::duration(m_lastChange.load())); }

private:
    void watch() {
        pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (!m_stopping) {
            ::poll(&fd, 1, 50);
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == m_event) {
                    m_lastChange = Clock::now().time_since_epoch().count();
                    ++m_changes;
                }
                free(event);
            }
        }
    }

    xcb_connection_t* m_connection;
    uint8_t m_event = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<int> m_changes = 0;
    std::atomic<Clock::duration::rep> m_lastChange = 0;
    std::thread m_thread;
};

// The services one monitor needs, in memory.
struct Capture {
    explicit Capture(const QString& folder)
        : preferences(std::make_unique<PreferenceStore>(folder + u"/Stowline.conf"_s)) {
        preferences.setPrivacyExclusionsEnabled(true);
    }
    HistoryStore store;
    AppPreferences preferences;
    FakeTextRecognizer recognizer;
    ImageTextRecognitionCoordinator coordinator{store, recognizer};
    X11FrontmostApplication frontmost;
};

struct Round {
    double latencySeconds = 0;
    double longestStallSeconds = 0;
};

// One copy by xclip, captured by a fresh monitor over `pasteboard`: the time from the server's announcement until
// the clip is in the history, and the longest the GUI thread went without running its event loop meanwhile.
std::optional<Round> captureOnce(Capture& capture, Pasteboard& pasteboard, const ChangeWatcher& watcher,
                                 const QString& target, const QByteArray& data,
                                 std::vector<std::unique_ptr<QProcess>>& owners) {
    ClipboardMonitor monitor(pasteboard, capture.frontmost, capture.store, capture.preferences, capture.coordinator);
    monitor.start();
    bool captured = false;
    QObject::connect(&monitor, &ClipboardMonitor::captured, &monitor, [&] { captured = true; });
    Clock::time_point lastBeat = Clock::now();
    Clock::duration longestStall{};
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, &heartbeat, [&] {
        const Clock::time_point now = Clock::now();
        longestStall = std::max(longestStall, now - lastBeat);
        lastBeat = now;
    });
    // The previous owner exits by itself once the new one takes the selection.
    std::erase_if(owners, [](const auto& owner) { return owner->state() == QProcess::NotRunning; });
    auto owner = std::make_unique<QProcess>();
    owner->setStandardOutputFile(QProcess::nullDevice());
    owner->setStandardErrorFile(QProcess::nullDevice());
    const int changesBefore = watcher.changes();
    owner->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, target, u"-i"_s});
    owner->write(data);
    owner->closeWriteChannel();
    owners.push_back(std::move(owner));
    const QDeadlineTimer deadline(30000);
    while (watcher.changes() == changesBefore && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    lastBeat = Clock::now();
    heartbeat.start();
    while (!captured && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const Clock::time_point done = Clock::now();
    if (!captured)
        return std::nullopt;
    longestStall = std::max(longestStall, done - lastBeat);
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    return Round{seconds(done - watcher.lastChange()), seconds(longestStall)};
}

struct Figures {
    double latency = 0;
    double todayLatency = 0;
    double stall = 0;
    double todayStall = 0;
};

// Alternates the two readers, each copy a new entry, so both meet the same machine load.
std::optional<Figures> compare(Capture& capture, Pasteboard& reader, Pasteboard& today, const ChangeWatcher& watcher,
                               const QString& target, const QByteArray& data, int repeats) {
    std::vector<std::unique_ptr<QProcess>> owners;
    QList<double> latencies, todayLatencies, stalls, todayStalls;
    for (int i = 0; i < repeats; ++i) {
        const QByteArray variant = target == u"image/png" ? data : data + QByteArray::number(i);
        const auto ours = captureOnce(capture, reader, watcher, target, variant, owners);
        const auto theirs =
            captureOnce(capture, today, watcher, target, variant + (target == u"image/png" ? "" : "'"), owners);
        if (!ours || !theirs)
            return std::nullopt;
        latencies.append(ours->latencySeconds);
        stalls.append(ours->longestStallSeconds);
        todayLatencies.append(theirs->latencySeconds);
        todayStalls.append(theirs->longestStallSeconds);
    }
    for (const auto& owner : owners)
        owner->kill();
    for (const auto& owner : owners)
        owner->waitForFinished(5000);
    return Figures{median(latencies), median(todayLatencies), median(stalls), median(todayStalls)};
}

// A GTK application holding one image on the clipboard; each `copyAgain` makes it a new entry.
class GtkImageOwner {
public:
    explicit GtkImageOwner(const ChangeWatcher& watcher) : m_watcher(watcher) {}
    ~GtkImageOwner() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool start(const QString& imagePath) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"NO_AT_BRIDGE"_s, u"1"_s);
        m_process.setProcessEnvironment(environment);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        const int before = m_watcher.changes();
        m_process.start(u"/usr/bin/python3"_s, {QStringLiteral(STOWLINE_GTK_CLIPBOARD_OWNER), u"image"_s, imagePath});
        return waitForCopy(before);
    }

    bool copyAgain() {
        const int before = m_watcher.changes();
        m_process.write("\n");
        return waitForCopy(before);
    }

private:
    bool waitForCopy(int before) {
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_output += m_process.readAllStandardOutput();
            if (m_output.contains("ready\n") && m_watcher.changes() != before) {
                m_output.remove(0, m_output.indexOf("ready\n") + 6);
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return false;
    }

    const ChangeWatcher& m_watcher;
    QProcess m_process;
    QByteArray m_output;
};

struct OwnerFigures {
    double readSeconds = 0;
    double captureSeconds = 0;
    qint64 storedBytes = 0;
    QStringList storedTypes;
};

// Alternates a bare read of the owner's PNG with a whole capture of the same owner's next entry, from the server's
// announcement of it.
std::optional<OwnerFigures> measureOwner(Capture& capture, Pasteboard& pasteboard, const ChangeWatcher& watcher,
                                         GtkImageOwner& owner, int repeats) {
    QList<double> reads;
    QList<double> captures;
    std::optional<ClipItem> stored;
    for (int i = 0; i < repeats; ++i) {
        if (!owner.copyAgain())
            return std::nullopt;
        QElapsedTimer timer;
        timer.start();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        const QByteArray png = mime ? mime->data(u"image/png"_s) : QByteArray();
        reads.append(timer.nsecsElapsed() / 1e9);
        if (png.isEmpty())
            return std::nullopt;
        ClipboardMonitor monitor(pasteboard, capture.frontmost, capture.store, capture.preferences,
                                 capture.coordinator);
        monitor.start();
        stored.reset();
        QObject::connect(&monitor, &ClipboardMonitor::captured, &monitor,
                         [&](const QUuid& id) { stored = capture.store.item(id); });
        if (!owner.copyAgain())
            return std::nullopt;
        const QDeadlineTimer deadline(30000);
        while (!stored && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (!stored)
            return std::nullopt;
        captures.append(std::chrono::duration<double>(Clock::now() - watcher.lastChange()).count());
    }
    OwnerFigures figures{median(reads), median(captures), stored->byteCount(), {}};
    for (const ClipRepresentation& representation : stored->representations())
        figures.storedTypes.append(representation.typeIdentifier);
    return figures;
}

int run(const QStringList&) {
    QTextStream out(stdout);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        out << "needs an X session: run inside scripts/with-desktop-session.sh\n";
        return 1;
    }
    QTemporaryDir dir;
    Capture capture(dir.path());
    const ChangeWatcher watcher;
    X11Pasteboard reader;
    QtClipboardPasteboard today;
    if (!watcher.isValid()) {
        out << "the X server offers no XFixes\n";
        return 1;
    }

    const QByteArray text =
        "A paragraph copied from an editor, with a link https://example.org/page and some more words "
        "to make it a realistic length for a text copy. ";
    const QByteArray png = screenshotPng();
    const auto textFigures = compare(capture, reader, today, watcher, u"UTF8_STRING"_s, text, 15);
    const auto pngFigures = compare(capture, reader, today, watcher, u"image/png"_s, png, 7);
    if (!textFigures || !pngFigures) {
        out << "no capture happened\n";
        return 1;
    }

    const QString path = dir.filePath(u"screenshot.png"_s);
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.flush();
    GtkImageOwner owner(watcher);
    std::optional<OwnerFigures> gtkFigures;
    if (written && owner.start(path))
        gtkFigures = measureOwner(capture, reader, watcher, owner, 7);
    if (!gtkFigures) {
        out << "the GTK owner did not copy; it needs python3-gi and gir1.2-gtk-3.0\n";
        return 1;
    }

    out << "png_bytes=" << png.size() << " history=" << capture.store.items().size() << '\n';
    out << "text_capture_ms=" << textFigures->latency * 1000
        << " text_capture_today_ms=" << textFigures->todayLatency * 1000
        << " text_gui_stall_ms=" << textFigures->stall * 1000
        << " text_gui_stall_today_ms=" << textFigures->todayStall * 1000 << '\n';
    out << "png_1920x1080_capture_ms=" << pngFigures->latency * 1000
        << " png_1920x1080_capture_today_ms=" << pngFigures->todayLatency * 1000
        << " png_gui_stall_ms=" << pngFigures->stall * 1000
        << " png_gui_stall_today_ms=" << pngFigures->todayStall * 1000 << '\n';
    out << "gtk_png_1920x1080_read_ms=" << gtkFigures->readSeconds * 1000
        << " gtk_png_1920x1080_capture_ms=" << gtkFigures->captureSeconds * 1000
        << " gtk_png_1920x1080_stored_bytes=" << gtkFigures->storedBytes
        << " stored_types=" << gtkFigures->storedTypes.join(u',') << '\n';
    out << "gtk_capture_ratio=" << gtkFigures->captureSeconds / gtkFigures->readSeconds << " goal_ratio=1.5\n";
    out << "text_ratio=" << textFigures->latency / textFigures->todayLatency
        << " png_ratio=" << pngFigures->latency / pngFigures->todayLatency << " goal_ratio=1\n";
    out << "ratio=" << textFigures->latency / textFigures->todayLatency << '\n';
    return 0;
}

const bench::Registration registration(u"capture"_s, run);

} // namespace
