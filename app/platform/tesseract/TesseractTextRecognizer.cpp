#include "app/platform/tesseract/TesseractTextRecognizer.h"

#include <QImage>
#include <QPainter>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace stowline {

namespace {

// Tesseract parallelises inside one image with OpenMP; on a small machine the threads compete with each other
// and with the desktop, and one thread is several times faster. OMP_THREAD_LIMIT only counts when set before the
// OpenMP runtime loads (at program start), so make every parallel region inactive instead: same effect, always.
// The setting belongs to the calling thread, so it is made on the thread that recognises.
void limitToOneThread() {
    omp_set_max_active_levels(0);
}

// Grey on white: transparent parts of screenshots become background rather than black.
QImage greyscaleOnWhite(const QImage& image) {
    QImage canvas(image.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, image);
    painter.end();
    return canvas.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

TesseractTextRecognizer::TesseractTextRecognizer() = default;

TesseractTextRecognizer::~TesseractTextRecognizer() {
    if (m_engine)
        m_engine->End();
}

Result<QStringList, TextRecognitionError> TesseractTextRecognizer::recognize(const QByteArray& imageBytes) {
    const QImage decoded = QImage::fromData(imageBytes);
    if (decoded.isNull() || decoded.width() <= 0 || decoded.height() <= 0)
        return fail(TextRecognitionError::undecodableImage);
    const QImage image = greyscaleOnWhite(decoded);

    const std::lock_guard lock(m_mutex);
    limitToOneThread();
    if (!m_engine) {
        auto engine = std::make_unique<tesseract::TessBaseAPI>();
        if (engine->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0)
            return fail(TextRecognitionError::engineUnavailable);
        engine->SetVariable("debug_file", "/dev/null");
        engine->SetPageSegMode(tesseract::PSM_AUTO);
        m_engine = std::move(engine);
    }
    m_engine->SetImage(image.constBits(), image.width(), image.height(), 1, static_cast<int>(image.bytesPerLine()));
    // Screens are about 96 dpi; without a resolution Tesseract guesses one and complains on standard error.
    m_engine->SetSourceResolution(96);
    if (m_engine->Recognize(nullptr) != 0) {
        m_engine->Clear();
        return fail(TextRecognitionError::recognitionFailed);
    }
    QStringList lines;
    if (const std::unique_ptr<tesseract::ResultIterator> line{m_engine->GetIterator()}) {
        do {
            const std::unique_ptr<char[]> text{line->GetUTF8Text(tesseract::RIL_TEXTLINE)};
            if (!text)
                continue;
            if (const QString trimmed = QString::fromUtf8(text.get()).trimmed(); !trimmed.isEmpty())
                lines.append(trimmed);
        } while (line->Next(tesseract::RIL_TEXTLINE));
    }
    m_engine->Clear();
    return lines;
}

} // namespace stowline
