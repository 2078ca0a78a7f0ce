#include "core/recognition/ImageTextRecognitionPolicy.h"

#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(ImageTextRecognitionPolicy, NeedsRecognitionOnlyForImagesWithoutCurrentVersion) {
    ClipItem image({.id = QUuid::createUuid(),
                    .createdAt = Timestamp{1},
                    .kind = ClipKind::image,
                    .title = u"Image"_s,
                    .contentHash = u"h"_s,
                    .byteCount = 1});
    EXPECT_TRUE(ImageTextRecognitionPolicy::needsRecognition(image));
    image.setTextRecognitionVersion(0);
    EXPECT_TRUE(ImageTextRecognitionPolicy::needsRecognition(image));
    image.setTextRecognitionVersion(1);
    EXPECT_FALSE(ImageTextRecognitionPolicy::needsRecognition(image));
    EXPECT_FALSE(ImageTextRecognitionPolicy::needsRecognition(test::textClip(u"x"_s)));
}

TEST(ImageTextRecognitionPolicy, NormalizesRecognisedLines) {
    const QList<std::pair<QStringList, std::optional<QString>>> cases{
        {{}, std::nullopt},
        {{u"  "_s, u"\n\r\n"_s}, std::nullopt},
        {{u"  Total: 12 \n\nCafé"_s, u"cafe"_s, u"CAFÉ\u2028next"_s}, u"Total: 12\nCafé\nnext"_s},
        {{u"ＡＢＣ"_s, u"abc"_s}, u"ＡＢＣ"_s},
        {{u"e\u0301t\u00E9"_s, u"\u00E9t\u00E9"_s}, u"e\u0301t\u00E9"_s},
        {{u"one\rtwo\u0085three\u2029one"_s}, u"one\ntwo\nthree"_s},
    };
    for (const auto& [candidates, expected] : cases) {
        SCOPED_TRACE(candidates.join(u'|').toStdString());
        EXPECT_EQ(ImageTextRecognitionPolicy::normalizedText(candidates), expected);
    }
}

TEST(ImageTextRecognitionPolicy, CapsTheStoredText) {
    QString long40000 = u"x"_s.repeated(32767) + u"    "_s + QString(7229, u'y');
    const auto capped = ImageTextRecognitionPolicy::normalizedText({long40000});
    ASSERT_TRUE(capped);
    // The cut falls inside the blanks, which are trimmed afterwards.
    EXPECT_EQ(*capped, QString(32767, u'x'));
    const auto emoji = ImageTextRecognitionPolicy::normalizedText({u"\U0001F600"_s.repeated(40000)});
    ASSERT_TRUE(emoji);
    EXPECT_EQ(emoji->size(), 2 * 32768);
}

TEST(ImageTextRecognitionPolicy, MatchingExcerpt) {
    const QString text = u"first line\n  Receipt from CAFÉ   \nthird café"_s;
    const QString line200 = u"ab "_s.repeated(66) + u"ab"_s; // 200 characters
    const QString emojiLine = u"match "_s + u"\U0001F600"_s.repeated(10);
    struct Case {
        std::optional<QString> text;
        QStringList terms;
        qsizetype limit;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {text, {u"cafe"_s}, 180, u"Receipt from CAFÉ"_s},
        {text, {u"nothing"_s, u"third"_s}, 180, u"third café"_s},
        {text, {u"absent"_s}, 180, std::nullopt},
        {text, {}, 180, std::nullopt},
        {std::nullopt, {u"a"_s}, 180, std::nullopt},
        {u""_s, {u"a"_s}, 180, std::nullopt},
        {text, {u"cafe"_s}, 0, std::nullopt},
        {line200, {u"ab"_s}, 180, line200.left(179) + u"\u2026"_s}, // 180 characters end in a blank
        {line200, {u"ab"_s}, 200, line200},
        {emojiLine, {u"match"_s}, 8, u"match \U0001F600\U0001F600\u2026"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.value_or(u"<none>"_s).left(40).toStdString());
        EXPECT_EQ(ImageTextRecognitionPolicy::matchingExcerpt(c.text, c.terms, c.limit), c.expected);
    }
}

TEST(ImageTextRecognitionPolicy, FoldsWithTheSearchLocale) {
    // Under Turkish rules the dotless capital I is not the capital of i, so the two lines stay apart; the dotted
    // capital İ is, so it joins "title".
    const TextFolder turkish{QLocale(QLocale::Turkish)};
    const TextFolder english{QLocale(QLocale::English)};
    EXPECT_EQ(ImageTextRecognitionPolicy::normalizedText({u"TITLE"_s, u"title"_s}, english), u"TITLE"_s);
    EXPECT_EQ(ImageTextRecognitionPolicy::normalizedText({u"TITLE"_s, u"title"_s}, turkish), u"TITLE\ntitle"_s);
    EXPECT_EQ(ImageTextRecognitionPolicy::normalizedText({u"T\u0130TLE"_s, u"title"_s}, turkish), u"T\u0130TLE"_s);

    const QString text = u"D\u0130KKAT\nIsparta"_s;
    EXPECT_EQ(ImageTextRecognitionPolicy::matchingExcerpt(text, {turkish.fold(u"dikkat")}, 40, turkish),
              u"D\u0130KKAT"_s);
    EXPECT_EQ(ImageTextRecognitionPolicy::matchingExcerpt(text, {turkish.fold(u"Isparta")}, 40, turkish), u"Isparta"_s);
}
