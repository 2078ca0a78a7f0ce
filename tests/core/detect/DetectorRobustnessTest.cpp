// Hostile clipboard content: nothing may crash or hang, and the character caps must keep the work bounded.
#include "core/detect/CredentialDetector.h"
#include "core/detect/TextFormatDetector.h"
#include "core/highlight/TextSyntaxHighlighter.h"
#include "core/metadata/CapturedContentMetadata.h"
#include "core/recognition/ImageTextCopyPolicy.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"
#include "core/text/Utf8.h"

#include "tests/support/ClipBuilders.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

QString randomUnits(QRandomGenerator& random, qsizetype length) {
    QString text(length, Qt::Uninitialized);
    for (QChar& c : text) {
        // Mostly ASCII (where the patterns look), with surrogates, controls and separators mixed in.
        const quint32 pick = random.bounded(10);
        c = pick < 7   ? QChar(char16_t(random.bounded(0x20, 0x7F)))
            : pick < 8 ? QChar(char16_t(random.bounded(0xD800, 0xE000)))
                       : QChar(char16_t(random.bounded(0x10000)));
    }
    return text;
}

} // namespace

TEST(DetectorRobustness, RandomInputNeverCrashes) {
    QRandomGenerator random(20240601);
    for (int round = 0; round < 300; ++round) {
        const QString text = randomUnits(random, random.bounded(1, 600));
        CredentialDetector::isCredential(text, false);
        const TextContentFormat format = TextFormatDetector::detect(text);
        const HighlightedText highlighted = TextSyntaxHighlighter::highlight(text, format, 800);
        for (const HighlightRun& run : highlighted.runs) {
            ASSERT_GE(run.location, 0);
            ASSERT_LE(run.location + run.length, highlighted.text.size());
        }
        const qsizetype index = random.bounded(qsizetype(text.size()));
        for (const auto& intent : {ImageTextCopyIntent::line(index), ImageTextCopyIntent::word(index)}) {
            if (const auto selection = ImageTextCopyPolicy::selection(text, intent)) {
                ASSERT_EQ(selection->text, text.sliced(selection->utf16Location, selection->utf16Length));
                ASSERT_LE(selection->utf16Location, index);
            }
        }

        QByteArray bytes(random.bounded(0, 500) * 4, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        CredentialDetector::classify(
            test::clipOf(ClipKind::text, {{0, TypeIdentifier::plainText, bytes}}, bytes.size()));
        EXPECT_EQ(Utf8::decodeTrimmedPrefix(bytes, 10).has_value(), Utf8::decode(bytes).has_value());
        EXPECT_FALSE(CapturedContentMetadata::imagePixelDimensions(bytes).has_value());
        CapturedContentMetadata::imagePixelDimensions(QByteArray("\x89PNG\r\n\x1a\n") + bytes);
        CapturedContentMetadata::imagePixelDimensions(QByteArray("II*\0", 4) + bytes);
    }
}

TEST(DetectorRobustness, HugeTextsAreCut) {
    const QString huge = u"{\"key\": \"value\", "_s.repeated(1024 * 1024); // 16 Mi code units
    EXPECT_EQ(TextFormatDetector::detect(huge), TextContentFormat::json);
    EXPECT_FALSE(CredentialDetector::isCredential(huge, false));
    const HighlightedText preview =
        TextSyntaxHighlighter::highlight(huge, TextContentFormat::json, TextSyntaxHighlighter::previewCharacterLimit);
    EXPECT_EQ(preview.text.size(), 800);
    EXPECT_EQ(preview.roleAt(2), HighlightRole::string);
}

TEST(DetectorRobustness, BacktrackingBombsStayBounded) {
    // Each unterminated opener makes a lazy or repeated group scan to the end of the text: quadratic work that
    // the step budget cuts short.
    const QString comments = u"<!--"_s.repeated(50000);
    const HighlightedText markdown = TextSyntaxHighlighter::highlight(comments, TextContentFormat::markdown,
                                                                      TextSyntaxHighlighter::editorCharacterLimit);
    EXPECT_EQ(markdown.text, comments);
    const QString escapes = u"\"\\"_s.repeated(100000);
    TextSyntaxHighlighter::highlight(escapes, TextContentFormat::javascript,
                                     TextSyntaxHighlighter::editorCharacterLimit);
    const QString newlines = QString(100000, u'\n') + u'x';
    TextSyntaxHighlighter::highlight(newlines, TextContentFormat::yaml, std::nullopt);

    const QString lets = u"let a: A"_s + QString(4000, u' ');
    EXPECT_EQ(TextFormatDetector::detect(lets.repeated(8)), TextContentFormat::plain);
    EXPECT_FALSE(CredentialDetector::isCredential(QString(4000, u'a') + u"@"_s + QString(90, u'b'), false));
}

TEST(DetectorRobustness, DeeplyNestedJson) {
    const QString deep = QString(4096, u'[');
    EXPECT_FALSE(TextFormatDetector::isJSON(deep));
    const QString balanced = QString(2048, u'[') + QString(2048, u']');
    EXPECT_EQ(TextFormatDetector::detect(balanced), TextContentFormat::json);
    const QString objects = u"{\"a\":"_s.repeated(200000) + u"1"_s + QString(200000, u'}');
    EXPECT_EQ(TextFormatDetector::detect(objects), TextContentFormat::json); // truncated, two member names
}

TEST(DetectorRobustness, LoneSurrogates) {
    const QString broken = u"password: "_s + QChar(0xDC00) + QChar(0xD800) + u"abcd"_s;
    EXPECT_TRUE(CredentialDetector::isCredential(broken, false));
    EXPECT_FALSE(CredentialDetector::isHighEntropyStandaloneToken(u"q7Xv2LmN9pR4sT1wYz8K"_s + QChar(0xD800)));
    EXPECT_FALSE(TextFormatDetector::isJSON(u"{\"a\": \""_s + QChar(0xDFFF) + u"\"}"_s));
    const auto normalized =
        ImageTextRecognitionPolicy::normalizedText({u"a"_s + QChar(0xD800), u"A"_s + QChar(0xD800)});
    ASSERT_TRUE(normalized);
    EXPECT_EQ(*normalized, u"a"_s + QChar(0xD800));
}
