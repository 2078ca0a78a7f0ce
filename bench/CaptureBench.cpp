// GUI-thread cost of one capture: the monitor's tick, which checks the change, the marker types and the
// frontmost application, reads the entry and hands it to the ".capture" queue. The floor is a bare read of an
// equal entry, the one step no capture can skip. Under a desktop session (DISPLAY set) the entries come from
// xclip through the real X11 clipboard; without one, from the in-memory clipboard.
// Under a desktop session a GTK 3 application also copies a screenshot with gtk_clipboard_set_image, which offers
// every image format gdk-pixbuf writes and encodes each one on request: the whole capture, until the entry is in
// the history, against a bare read of its PNG. On a busy machine the wall times swing widely, so the processor
// time both processes spent is compared as well.
#include "bench/BenchRegistry.h"
#include "bench/PasteboardRead.h"

#include "app/capture/ClipboardMonitor.h"
#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/platform/x11/X11FrontmostApplication.h"
#include "app/platform/x11/X11Pasteboard.h"
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
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

#include <time.h>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

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

// Puts one entry on the clipboard the way another application does, and waits until the clipboard moved.
class Source {
public:
    explicit Source(Pasteboard& pasteboard, FakePasteboard* fake) : m_pasteboard(pasteboard), m_fake(fake) {}
    ~Source() {
        for (const auto& owner : m_owners) {
            owner->kill();
            owner->waitForFinished(5000);
        }
    }

    bool copy(const QString& typeIdentifier, const QByteArray& data) {
        const qint64 before = m_pasteboard.changeCount();
        if (m_fake) {
            m_fake->copy({{0, typeIdentifier, data}});
            return true;
        }
        // The previous owner exits by itself once the new one takes the selection; killing it first would
        // announce an empty clipboard in between.
        std::erase_if(m_owners, [](const auto& owner) { return owner->state() == QProcess::NotRunning; });
        auto owner = std::make_unique<QProcess>();
        const QString mime = typeIdentifier == TypeIdentifier::png ? u"image/png"_s : u"UTF8_STRING"_s;
        owner->setStandardOutputFile(QProcess::nullDevice());
        owner->setStandardErrorFile(QProcess::nullDevice());
        owner->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s, u"-t"_s, mime, u"-i"_s});
        owner->write(data);
        owner->closeWriteChannel();
        m_owners.push_back(std::move(owner));
        const QDeadlineTimer deadline(10000);
        while (m_pasteboard.changeCount() == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_pasteboard.changeCount() != before;
    }

private:
    Pasteboard& m_pasteboard;
    FakePasteboard* m_fake;
    std::vector<std::unique_ptr<QProcess>> m_owners;
};

// A GTK application holding one image on the clipboard; each `copyAgain` makes it a new entry.
class GtkImageOwner {
public:
    explicit GtkImageOwner(Pasteboard& pasteboard) : m_pasteboard(pasteboard) {}
    ~GtkImageOwner() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool start(const QString& imagePath) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"NO_AT_BRIDGE"_s, u"1"_s);
        m_process.setProcessEnvironment(environment);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        const qint64 before = m_pasteboard.changeCount();
        m_process.start(u"/usr/bin/python3"_s, {QStringLiteral(STOWLINE_GTK_CLIPBOARD_OWNER), u"image"_s, imagePath});
        return waitForCopy(before);
    }

    // Processor time the owner has used so far, in seconds (its only thread encodes).
    double cpuSeconds() const {
        QFile schedstat(u"/proc/%1/schedstat"_s.arg(m_process.processId()));
        if (!schedstat.open(QIODevice::ReadOnly))
            return 0;
        return schedstat.readLine().split(' ').value(0).toDouble() / 1e9;
    }

    bool copyAgain() {
        const qint64 before = m_pasteboard.changeCount();
        m_process.write("\n");
        return waitForCopy(before);
    }

private:
    bool waitForCopy(qint64 before) {
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_output += m_process.readAllStandardOutput();
            if (m_output.contains("ready\n") && m_pasteboard.changeCount() != before) {
                m_output.remove(0, m_output.indexOf("ready\n") + 6);
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return false;
    }

    Pasteboard& m_pasteboard;
    QProcess m_process;
    QByteArray m_output;
};

struct Figures {
    double tickSeconds = 0;
    double readSeconds = 0;
};

// Alternates a bare read of a fresh entry with a tick over an equal fresh entry, so both pay the first read.
std::optional<Figures> measure(ClipboardMonitor& monitor, Pasteboard& pasteboard, Source& source,
                               const QString& typeIdentifier, const QByteArray& data, int repeats) {
    const PasteboardReadLimits limits{ClipboardMonitor::perRepresentationLimit, ClipboardMonitor::totalLimit, {}};
    QList<double> ticks;
    QList<double> reads;
    int captured = 0;
    const auto connection = QObject::connect(&monitor, &ClipboardMonitor::captured, &monitor, [&] { ++captured; });
    for (int i = 0; i < repeats; ++i) {
        // Each copy differs, so every tick makes a new history entry rather than a merge.
        const QByteArray variant = typeIdentifier == TypeIdentifier::png ? data : data + QByteArray::number(i);
        if (!source.copy(typeIdentifier, variant))
            return std::nullopt;
        QElapsedTimer timer;
        timer.start();
        const qsizetype readCount = bench::readSnapshot(pasteboard, limits).representations.size();
        reads.append(timer.nsecsElapsed() / 1e9);
        if (readCount == 0 ||
            !source.copy(typeIdentifier, variant + (typeIdentifier == TypeIdentifier::png ? "" : "'")))
            return std::nullopt;
        timer.restart();
        monitor.tick();
        ticks.append(timer.nsecsElapsed() / 1e9);
        // The queue's work runs before the next round, so it never competes with the measured steps.
        const QDeadlineTimer deadline(10000);
        while (captured <= i && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (captured <= i)
            return std::nullopt;
    }
    QObject::disconnect(connection);
    return Figures{median(ticks), median(reads)};
}

// Processor time of this process, all threads, in seconds.
double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

struct OwnerFigures {
    double readSeconds = 0;
    double tickSeconds = 0;
    double captureSeconds = 0;
    double readCpuSeconds = 0;
    double captureCpuSeconds = 0;
    qint64 storedBytes = 0;
    QStringList storedTypes;
};

// Alternates a bare read of the owner's PNG with a whole capture of the same owner's next entry.
std::optional<OwnerFigures> measureOwner(ClipboardMonitor& monitor, HistoryStore& store, GtkImageOwner& owner,
                                         int repeats) {
    QList<double> reads;
    QList<double> ticks;
    QList<double> captures;
    QList<double> readCpu;
    QList<double> captureCpu;
    const auto cpu = [&owner] { return owner.cpuSeconds() + processCpuSeconds(); };
    std::optional<ClipItem> stored;
    QEventLoop loop;
    const auto connection = QObject::connect(&monitor, &ClipboardMonitor::captured, &loop, [&](const QUuid& id) {
        stored = store.item(id);
        loop.quit();
    });
    for (int i = 0; i < repeats; ++i) {
        if (!owner.copyAgain())
            return std::nullopt;
        double cpuStart = cpu();
        QElapsedTimer timer;
        timer.start();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        const QByteArray png = mime ? mime->data(u"image/png"_s) : QByteArray();
        reads.append(timer.nsecsElapsed() / 1e9);
        readCpu.append(cpu() - cpuStart);
        if (png.isEmpty() || !owner.copyAgain())
            return std::nullopt;
        stored.reset();
        cpuStart = cpu();
        timer.restart();
        monitor.tick();
        ticks.append(timer.nsecsElapsed() / 1e9);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!stored)
            return std::nullopt;
        captures.append(timer.nsecsElapsed() / 1e9);
        captureCpu.append(cpu() - cpuStart);
    }
    QObject::disconnect(connection);
    OwnerFigures figures{
        median(reads), median(ticks), median(captures), median(readCpu), median(captureCpu), stored->byteCount(), {}};
    for (const ClipRepresentation& representation : stored->representations())
        figures.storedTypes.append(representation.typeIdentifier);
    return figures;
}

int run(const QStringList&) {
    QTextStream out(stdout);
    const bool desktop = !qEnvironmentVariableIsEmpty("DISPLAY");
    QTemporaryDir dir;
    HistoryStore store;
    AppPreferences preferences(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    preferences.setPrivacyExclusionsEnabled(true);
    FakeTextRecognizer recognizer;
    ImageTextRecognitionCoordinator coordinator(store, recognizer);

    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<FrontmostApplication> frontmost;
    FakePasteboard* fake = nullptr;
    if (desktop) {
        pasteboard = std::make_unique<X11Pasteboard>();
        frontmost = std::make_unique<X11FrontmostApplication>();
    } else {
        auto owned = std::make_unique<FakePasteboard>();
        fake = owned.get();
        pasteboard = std::move(owned);
        auto application = std::make_unique<FakeFrontmostApplication>();
        application->setFrontmost(RunningApplication{1, u"Text Editor"_s, u"org.gnome.TextEditor"_s, 4242});
        frontmost = std::move(application);
    }
    ClipboardMonitor monitor(*pasteboard, *frontmost, store, preferences, coordinator);
    Source source(*pasteboard, fake);

    const QByteArray text =
        "A paragraph copied from an editor, with a link https://example.org/page and some more words "
        "to make it a realistic length for a text copy. ";
    const QByteArray png = screenshotPng();
    const auto textFigures = measure(monitor, *pasteboard, source, TypeIdentifier::plainText, text, 15);
    const auto pngFigures = measure(monitor, *pasteboard, source, TypeIdentifier::png, png, 7);
    if (!textFigures || !pngFigures) {
        out << "no capture happened; under X11 run inside scripts/with-desktop-session.sh\n";
        return 1;
    }

    std::optional<OwnerFigures> gtkFigures;
    if (desktop) {
        const QString path = dir.filePath(u"screenshot.png"_s);
        QFile file(path);
        const bool written = file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.flush();
        GtkImageOwner owner(*pasteboard);
        if (written && owner.start(path))
            gtkFigures = measureOwner(monitor, store, owner, 7);
        if (!gtkFigures) {
            out << "the GTK owner did not copy; it needs python3-gi and gir1.2-gtk-3.0\n";
            return 1;
        }
    }

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100; ++i)
        (void)frontmost->frontmost();
    const double frontmostSeconds = timer.nsecsElapsed() / 1e9 / 100;

    out << "clipboard=" << (desktop ? "x11" : "fake") << " png_bytes=" << png.size()
        << " history=" << store.items().size() << '\n';
    out << "text_tick_ms=" << textFigures->tickSeconds * 1000 << " text_read_ms=" << textFigures->readSeconds * 1000
        << '\n';
    out << "png_1920x1080_tick_ms=" << pngFigures->tickSeconds * 1000
        << " png_1920x1080_read_ms=" << pngFigures->readSeconds * 1000 << '\n';
    if (gtkFigures) {
        out << "gtk_png_1920x1080_read_ms=" << gtkFigures->readSeconds * 1000
            << " gtk_png_1920x1080_tick_ms=" << gtkFigures->tickSeconds * 1000
            << " gtk_png_1920x1080_capture_ms=" << gtkFigures->captureSeconds * 1000 << '\n';
        out << "gtk_png_1920x1080_stored_bytes=" << gtkFigures->storedBytes
            << " stored_types=" << gtkFigures->storedTypes.join(u',') << '\n';
        out << "gtk_png_1920x1080_read_cpu_ms=" << gtkFigures->readCpuSeconds * 1000
            << " gtk_png_1920x1080_capture_cpu_ms=" << gtkFigures->captureCpuSeconds * 1000 << '\n';
        out << "gtk_capture_ratio=" << gtkFigures->captureSeconds / gtkFigures->readSeconds
            << " gtk_capture_cpu_ratio=" << gtkFigures->captureCpuSeconds / gtkFigures->readCpuSeconds
            << " goal_ratio=1.5\n";
    }
    out << "frontmost_ms=" << frontmostSeconds * 1000 << " goal_text_tick_ms=5\n";
    out << "text_ratio=" << textFigures->tickSeconds / textFigures->readSeconds
        << " png_ratio=" << pngFigures->tickSeconds / pngFigures->readSeconds << '\n';
    out << "ratio=" << textFigures->tickSeconds / textFigures->readSeconds << '\n';
    return 0;
}

const bench::Registration registration(u"capture"_s, run);

} // namespace
