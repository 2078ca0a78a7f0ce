// Time to read a full-screen PNG from another application's clipboard entry (on the reader's own thread), and the
// cost of recognising text in one image. Needs an X session: run inside scripts/with-desktop-session.sh.
#include "bench/BenchRegistry.h"
#include "bench/PasteboardRead.h"

#include "app/platform/tesseract/TesseractTextRecognizer.h"
#include "app/platform/x11/X11Pasteboard.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

// Something like a screenshot: flat areas, gradients, text and a noisy photo-like block.
QImage screenshotLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(236, 240, 244));
    gradient.setColorAt(1, QColor(190, 205, 225));
    painter.fillRect(image.rect(), gradient);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(28);
    painter.setFont(font);
    for (int line = 0; line < 12; ++line)
        painter.drawText(80, 120 + line * 44, u"Line %1: the quick brown fox jumps over the lazy dog"_s.arg(line + 1));
    painter.end();
    QRandomGenerator random(7);
    for (int y = height / 2; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = width / 2; x < width; ++x)
            row[x] = qRgb(x % 256, y % 256, static_cast<int>(random.bounded(256)));
    }
    return image;
}

QByteArray encoded(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

int run(const QStringList&) {
    QTextStream out(stdout);
    X11Pasteboard pasteboard;
    const QByteArray png = encoded(screenshotLike(1920, 1080));
    QProcess xclip;
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-t"_s, u"image/png"_s, u"-i"_s});
    xclip.write(png);
    xclip.closeWriteChannel();
    const QDeadlineTimer deadline(10000);
    while (pasteboard.changeCount() == 0 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    if (pasteboard.changeCount() == 0) {
        out << "the clipboard did not change; run inside scripts/with-desktop-session.sh\n";
        return 1;
    }
    xclip.waitForFinished(5000);

    const PasteboardReadLimits limits{8 * 1024 * 1024, 16 * 1024 * 1024, {}};
    qsizetype readBytes = 0;
    // The first read after a change is what a capture pays; later ones show whether anything is cached.
    const double firstReadSeconds =
        bench::medianSeconds(1, [&] { readBytes = bench::readSnapshot(pasteboard, limits).representations.size(); });
    const double readSeconds = bench::medianSeconds(
        9, [&] { readBytes = bench::readSnapshot(pasteboard, limits).representations.value(0).data.size(); });

    TesseractTextRecognizer recognizer;
    const QByteArray smallShot = encoded(screenshotLike(1920, 1080).copy(0, 60, 1100, 300));
    (void)recognizer.recognize(smallShot); // loads the model
    const double smallSeconds = bench::medianSeconds(5, [&] { (void)recognizer.recognize(smallShot); });
    const double fullSeconds = bench::medianSeconds(3, [&] { (void)recognizer.recognize(png); });

    // The goal for all GUI-thread work of one capture is 5 ms.
    constexpr double goalSeconds = 0.005;
    out << "png_bytes=" << png.size() << " read_bytes=" << readBytes << '\n';
    out << "pasteboard_first_read_1920x1080_png_ms=" << firstReadSeconds * 1000
        << " pasteboard_read_1920x1080_png_ms=" << readSeconds * 1000 << '\n';
    out << "ocr_1100x300_ms=" << smallSeconds * 1000 << " ocr_1920x1080_ms=" << fullSeconds * 1000 << '\n';
    out << "ratio=" << readSeconds / goalSeconds << '\n';
    return readBytes == png.size() ? 0 : 1;
}

const bench::Registration registration(u"platform-adapters"_s, run);

} // namespace
