#include "core/classify/ContentClassifier.h"

#include "tests/support/ClipBuilders.h"

#include <openssl/sha.h>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
namespace CC = stowline::ContentClassifier;

TEST(ContentClassifier, KindDecisionTable) {
    struct Case {
        QString text;
        bool hasRichText;
        ClipKind expected;
    };
    const Case cases[] = {
        {u" #A1B2C3\n"_s, false, ClipKind::color},
        {u"#A1B2C"_s, false, ClipKind::text},
        {u"#A1B2C"_s, true, ClipKind::richText},
        {u"1234"_s, false, ClipKind::color},
        {u"12345"_s, false, ClipKind::text},
        {u"fff"_s, true, ClipKind::color},
        {u"#deadbeef"_s, false, ClipKind::color},
        {u"##fff"_s, false, ClipKind::text},
        {u"#ggg"_s, false, ClipKind::text},
        {u"\uFF11\uFF12\uFF13"_s, false, ClipKind::text}, // full-width digits are not hexadecimal
        {u"mailto:someone@example.com"_s, false, ClipKind::link},
        {u"  https://example.com/a  \n"_s, true, ClipKind::link},
        {u"mailto:someone@example.com\nsecond line"_s, false, ClipKind::text},
        {u"example.com/path"_s, false, ClipKind::text},
        {u"hello world"_s, true, ClipKind::richText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(CC::kind(c.text, c.hasRichText), c.expected);
    }
    EXPECT_FALSE(CC::isHexColor(u" fff"));
    EXPECT_TRUE(CC::isHexColor(u"#ABC"));
    // Never a colour outside ASCII, whatever a character classification table would say about the code unit.
    for (char16_t unit = 0x80; unit != 0; ++unit)
        ASSERT_FALSE(CC::isHexColor(QString(3, QChar(unit)))) << int(unit);
}

TEST(ContentClassifier, TitleCollapsesWhiteSpaceAndFallsBackToLabel) {
    EXPECT_EQ(CC::title(u"  a\tb\n\nc  ", ClipKind::text), u"a b c");
    EXPECT_EQ(CC::title(u"   ", ClipKind::text), u"Text");
    EXPECT_EQ(CC::title(u"\n", ClipKind::richText), u"Rich Text");
    const QString word(200, u'w');
    EXPECT_EQ(CC::title(word, ClipKind::text), QString(80, u'w'));
    QString emoji;
    for (int i = 0; i < 100; ++i)
        emoji += u"\U0001F44D\U0001F3FD"_s; // thumbs up with a skin tone: one character
    EXPECT_EQ(CC::title(emoji, ClipKind::text).size(), 80 * 4);
}

TEST(ContentClassifier, PreviewTrimsEndsAndKeepsInnerLayout) {
    EXPECT_EQ(CC::preview(u"\n  line one\n  line two  \n", 800), u"line one\n  line two");
    EXPECT_EQ(CC::preview(u"  a\r\nb", 2), u"a\r\n");
    EXPECT_EQ(CC::preview(u"e\u0301e\u0301e\u0301", 2), u"e\u0301e\u0301");
}

TEST(ContentClassifier, HashIsOrderIndependentAndSensitiveToEveryField) {
    const ClipRepresentations a{{0, TypeIdentifier::plainText, "x"},
                                {0, TypeIdentifier::html, "<b>x</b>"},
                                {1, TypeIdentifier::fileUrl, "file:///a"}};
    const ClipRepresentations reversed{a[2], a[1], a[0]};
    EXPECT_EQ(CC::hash(a), CC::hash(reversed));
    EXPECT_EQ(CC::hash(a).size(), 64);
    EXPECT_EQ(CC::hash(a), CC::hash(a).toLower());

    ClipRepresentations byte = a;
    byte[1].data[3] = 'i';
    ClipRepresentations type = a;
    type[0].typeIdentifier = u"public.utf8-plain-texT"_s;
    ClipRepresentations index = a;
    index[2].itemIndex = 2;
    for (const auto& changed : {byte, type, index})
        EXPECT_NE(CC::hash(changed), CC::hash(a));

    // The digest covers exactly: big-endian index, type bytes, data bytes, in sorted order.
    QByteArray fed;
    fed += QByteArray(8, '\0') + "public.html" + "<b>x</b>";
    fed += QByteArray(8, '\0') + "public.utf8-plain-text" + "x";
    fed += QByteArray(7, '\0') + '\x01' + "public.file-url" + "file:///a";
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(fed.constData()), size_t(fed.size()), digest);
    EXPECT_EQ(CC::hash(a), QString::fromLatin1(QByteArray(reinterpret_cast<char*>(digest), 32).toHex()));
    EXPECT_EQ(CC::hash({}), u"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(ContentClassifier, CaptureRulesChooseFileThenImageThenText) {
    const auto file = [](qint64 index, const char* url) {
        return ClipRepresentation{index, TypeIdentifier::fileUrl, url};
    };
    const ClipRepresentation png{0, TypeIdentifier::png, "\x89PNG"};
    const ClipRepresentation rtf{0, TypeIdentifier::rtf, "{\\rtf1 x}"};
    const auto text = [](const QString& t) { return test::textRepresentation(t); };
    const std::optional<QString> app = u"Files"_s;

    auto two =
        CC::describeCapture({file(0, "file:///home/a/One%20File.txt"), file(1, "file:///home/a/dir/"), png}, app);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->kind, ClipKind::file);
    EXPECT_EQ(two->title, u"2 files");
    EXPECT_EQ(two->preview, u"One File.txt \u2022 dir");

    auto one = CC::describeCapture({file(0, "file:///tmp/report.pdf"), png}, app);
    EXPECT_EQ(one->title, u"report.pdf");
    EXPECT_EQ(one->kind, ClipKind::file);

    auto unnamed = CC::describeCapture({file(0, "\xff\xfe"), text(u"fallback"_s)}, app);
    EXPECT_EQ(unnamed->title, u"File");
    EXPECT_EQ(unnamed->preview, u"fallback");

    auto image = CC::describeCapture({png}, app);
    EXPECT_EQ(image->kind, ClipKind::image);
    EXPECT_EQ(image->title, u"Image");
    EXPECT_EQ(image->preview, u"Image from Files");
    EXPECT_EQ(CC::describeCapture({png}, std::nullopt)->preview, u"Image from another app");
    EXPECT_EQ(CC::describeCapture({ClipRepresentation{0, TypeIdentifier::tiff, "II*"}, text(u" cap "_s)}, app)->preview,
              u" cap ");

    auto rich = CC::describeCapture({rtf, text(u"  Hello\n world "_s)}, app);
    EXPECT_EQ(rich->kind, ClipKind::richText);
    EXPECT_EQ(rich->title, u"Hello world");
    EXPECT_EQ(rich->preview, u"Hello\n world");
    EXPECT_TRUE(rich->detectsTextFormat());
    EXPECT_FALSE(CC::describeCapture({text(u"#fff"_s)}, app)->detectsTextFormat());

    EXPECT_FALSE(CC::describeCapture({rtf}, app));
    EXPECT_FALSE(CC::describeCapture({text(u" \n\t"_s)}, app));
    EXPECT_FALSE(CC::describeCapture({ClipRepresentation{0, TypeIdentifier::plainText, "\xc3\x28"}}, app));
    EXPECT_FALSE(CC::describeCapture({}, app));
}

TEST(ContentClassifier, HugeTextIsCappedNotRejected) {
    QString huge = u"\n\n"_s;
    huge += QString(4 * 1024 * 1024, u'a');
    huge += u" tail"_s;
    const auto description = CC::describeCapture({test::textRepresentation(huge)}, std::nullopt);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->title, QString(80, u'a'));
    EXPECT_EQ(description->preview, QString(800, u'a'));
}
