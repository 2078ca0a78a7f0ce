#include "core/search/TextFolder.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

const TextFolder english(QLocale(u"en_US"_s));
const TextFolder turkish(QLocale(u"tr_TR"_s));

} // namespace

TEST(TextFolder, EquivalentSpellingsFoldAlike) {
    struct Case {
        QString a;
        QString b;
    };
    const Case cases[] = {
        {u"Café"_s, u"cafe"_s},
        {u"CAFE\u0301"_s, u"café"_s},
        {u"\u212Bngstr\u00F6m"_s, u"\u00C5ngstrom"_s},                  // Angstrom sign is canonically the letter
        {u"\uFF21\uFF22\uFF23"_s, u"abc"_s},                            // full-width Latin
        {u"\uFF76\uFF80\uFF76\uFF85"_s, u"\u30AB\u30BF\u30AB\u30CA"_s}, // half-width katakana
        {u"Stra\u00DFe"_s, u"STRASSE"_s},
        {u"\u0130stanbul"_s, u"istanbul"_s},
        {u"\u1E69"_s, u"s\u0323\u0307"_s}, // two marks in either order of composition
        {u"\uFF11\uFF12\uFF13"_s, u"123"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a.toStdString() + " ~ " + c.b.toStdString());
        EXPECT_EQ(english.fold(c.a), english.fold(c.b));
    }
}

TEST(TextFolder, DistinctTextStaysDistinct) {
    const std::pair<QString, QString> cases[] = {
        {u"\u4E2D\u6587"_s, u"\u4E2D\u6599"_s},
        {u"\u0131"_s, u"i"_s}, // dotless i is a letter of its own outside Turkish too
        {u"\uAC01"_s, u"\uAC00"_s},
        {u"\U0001F600"_s, u"\U0001F601"_s},
        {u"o"_s, u"0"_s},
    };
    for (const auto& [a, b] : cases) {
        SCOPED_TRACE(a.toStdString() + " !~ " + b.toStdString());
        EXPECT_NE(english.fold(a), english.fold(b));
    }
}

TEST(TextFolder, TurkishLocaleFoldsDottedAndDotlessI) {
    EXPECT_EQ(turkish.fold(u"ISPARTA"_s), turkish.fold(u"\u0131sparta"_s));
    EXPECT_NE(turkish.fold(u"ISPARTA"_s), turkish.fold(u"isparta"_s));
    EXPECT_EQ(turkish.fold(u"\u0130ZM\u0130R"_s), turkish.fold(u"izmir"_s));
    EXPECT_EQ(turkish.fold(u"I\u0307zmir"_s), turkish.fold(u"izmir"_s)); // the dotted capital, decomposed
    EXPECT_EQ(english.fold(u"ISPARTA"_s), u"isparta"_s);
    EXPECT_TRUE(turkish.isTurkic());
    EXPECT_TRUE(TextFolder(QLocale(u"az_AZ"_s)).isTurkic());
    EXPECT_FALSE(english.isTurkic());
}

TEST(TextFolder, ResultIsComposedAndFoldingTwiceChangesNothing) {
    const QString samples[] = {u"\u1100\u1161\u11A8 \uAC01"_s, u"R\u00E9sum\u00E9 \uFF37\uFF49\uFF44\uFF45"_s,
                               u"plain ascii"_s, u"\U0001F44D\U0001F3FD \u6771\u4EAC"_s, u"\u0130\u0131Ii"_s};
    for (const QString& sample : samples) {
        SCOPED_TRACE(sample.toStdString());
        for (const TextFolder& folder : {english, turkish}) {
            const QString once = folder.fold(sample);
            EXPECT_EQ(folder.fold(once), once);
            EXPECT_EQ(once, once.normalized(QString::NormalizationForm_C));
        }
    }
    EXPECT_EQ(english.fold(u"\u1100\u1161\u11A8"_s), u"\uAC01"_s);
}

TEST(TextFolder, LoneSurrogatesBecomeReplacementCharacters) {
    const QString broken = u"a"_s + QChar(0xD800) + u"\u00E9"_s;
    EXPECT_EQ(english.fold(broken), u"a\uFFFDe"_s);
}
