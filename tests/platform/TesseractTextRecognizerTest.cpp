#include "app/platform/tesseract/TesseractTextRecognizer.h"
#include "tests/support/TestFiles.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>
#include <omp.h>

#include <future>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

QByteArray renderedText(const QStringList& lines, const char* format = "PNG") {
    QImage image(1200, 120 + 100 * static_cast<int>(lines.size()), QImage::Format_ARGB32);
    // Transparent where the format keeps alpha: the recogniser must read it as background, not as black.
    image.fill(qstrcmp(format, "JPEG") == 0 ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(48);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(60, 100 + 100 * static_cast<int>(i), lines[i]);
    painter.end();
    return test::encoded(image, format);
}

} // namespace

TEST(TesseractTextRecognizer, RecognisesOneCandidatePerLineInReadingOrderOnAWorkerThread) {
    TesseractTextRecognizer recognizer;
    const QStringList lines{u"Invoice number 4711"_s, u"Stowline keeps your clips"_s, u"Total due today"_s};
    for (const char* format : {"PNG", "TIFF", "JPEG"}) {
        SCOPED_TRACE(format);
        const QByteArray image = renderedText(lines, format);
        auto result = std::async(std::launch::async, [&] { return recognizer.recognize(image); }).get();
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(*result, lines);
    }
}

TEST(TesseractTextRecognizer, FindsNothingInAnEmptyImage) {
    TesseractTextRecognizer recognizer;
    const auto result = recognizer.recognize(renderedText({}));
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result->isEmpty());
}

TEST(TesseractTextRecognizer, RejectsBytesThatAreNoImage) {
    TesseractTextRecognizer recognizer;
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not an image"), renderedText({u"x"_s}).left(40)}) {
        SCOPED_TRACE(bytes.size());
        const auto result = recognizer.recognize(bytes);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(), TextRecognitionError::undecodableImage);
    }
}

TEST(TesseractTextRecognizer, RunsOpenMpRegionsOnOneThreadOnTheRecognisingThread) {
    TesseractTextRecognizer recognizer;
    const QByteArray image = renderedText({u"one thread"_s});
    const int threads = std::async(std::launch::async, [&] {
                            (void)recognizer.recognize(image);
                            int count = 0;
#pragma omp parallel num_threads(4)
                            {
#pragma omp single
                                count = omp_get_num_threads();
                            }
                            return count;
                        }).get();
    EXPECT_EQ(threads, 1);
}
