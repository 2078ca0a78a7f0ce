#include "core/search/SmartSearch.h"

#include "core/history/HistoryEngine.h"
#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

const TextFolder english(QLocale(u"en_US"_s));
const TextFolder turkish(QLocale(u"tr_TR"_s));

ClipItem imageClip(const QString& title) {
    const ClipRepresentations representations{{0, TypeIdentifier::png, title.toUtf8()}};
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{10},
                     .kind = ClipKind::image,
                     .title = title,
                     .contentHash = title,
                     .byteCount = 1,
                     .representations = representations});
}

} // namespace

TEST(SmartSearch, BuildsRequiredAndExcludedTerms) {
    struct Case {
        QString query;
        QStringList required;
        QStringList excluded;
    };
    const Case cases[] = {
        {u""_s, {}, {}},
        {u"  \t\n "_s, {}, {}},
        {u"-"_s, {u"-"_s}, {}},
        {u"--x"_s, {}, {u"-x"_s}},
        {u"Report -MEMO report"_s, {u"report"_s, u"report"_s}, {u"memo"_s}},
        {u"caf\u00E9\u2003-\uFF38"_s, {u"cafe"_s}, {u"x"_s}},
        {u"\u0301 a"_s, {u"a"_s}, {}}, // a lone mark folds to nothing and is dropped
        {u"-\u0301"_s, {u"-"_s}, {}},  // one character: a hyphen with a mark, not an exclusion
        {u"a-b -"_s, {u"a-b"_s, u"-"_s}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        const SmartSearch search(c.query, english);
        EXPECT_EQ(search.requiredTerms(), c.required);
        EXPECT_EQ(search.excludedTerms(), c.excluded);
        EXPECT_EQ(search.isEmpty(), c.required.isEmpty() && c.excluded.isEmpty());
    }
    EXPECT_EQ(SmartSearch(u"a  -b"_s, english), SmartSearch(u"A\n-B"_s, english));
    EXPECT_FALSE(SmartSearch(u"a -b"_s, english) == SmartSearch(u"-b a a"_s, english));
}

TEST(SmartSearch, MatchesTextsAsTheQueryLanguageSays) {
    struct Case {
        QString query;
        QStringList texts;
        bool matches;
    };
    const Case cases[] = {
        {u""_s, {u"anything"_s}, true},
        {u"   "_s, {}, true},
        {u"-"_s, {u"no hyphen here"_s}, false},
        {u"-"_s, {u"well-known"_s}, true},
        {u"Caf\u00E9"_s, {u"CAFE au lait"_s}, true},
        {u"cafe"_s, {u"caf\u00E9"_s}, true},
        {u"\uFF43\uFF41\uFF46\uFF45"_s, {u"Cafe"_s}, true},
        {u"report -memo"_s, {u"Quarterly REPORT"_s}, true},
        {u"report -memo"_s, {u"Report"_s, u"Memo to staff"_s}, false},
        {u"port"_s, {u"report"_s}, true},
        {u"tr"_s, {u"ab t"_s, u"r cd"_s}, false}, // a term never spans two texts
        {u"a b"_s, {u"a"_s, u"b"_s}, true},
        {u"--x"_s, {u"a-x"_s}, false},
        {u"--x"_s, {u"ax"_s}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        EXPECT_EQ(SmartSearch(c.query, english).matches(c.texts), c.matches);
    }
}

TEST(SmartSearch, SearchesTheClipTextsInOrder) {
    ClipItem clip = test::textClip(u"Meeting notes"_s);
    const QStringList texts = searchableTexts(clip);
    EXPECT_EQ(texts, (QStringList{u"Meeting notes"_s, u"Meeting notes"_s, u"Editor"_s, u"org.example.Editor"_s,
                                  u"Text"_s, QString(), QString()}));
    clip.setRecognizedText(u"scanned"_s);
    clip.setTextFormat(TextContentFormat::javascript);
    EXPECT_EQ(searchableTexts(clip).mid(5), (QStringList{u"scanned"_s, u"JavaScript"_s}));

    EXPECT_TRUE(matches(clip, u"javascript scanned editor org.example"_s, english));
    EXPECT_TRUE(matches(clip, u"text"_s, english));
    EXPECT_FALSE(matches(clip, u"image"_s, english));
    EXPECT_TRUE(matches(imageClip(u"Screenshot"_s), u"image"_s, english));
    EXPECT_TRUE(matches(test::fullClip(), u"image code -png hello"_s, english));
    EXPECT_FALSE(matches(test::fullClip(), u"image -viewer"_s, english));
}

TEST(SmartSearch, TextBeyondThePreviewIsNotSearched) {
    const QString text = QString(850, u'a') + u" needle"_s;
    const ClipItem clip = test::textClip(text);
    EXPECT_FALSE(matches(clip, u"needle"_s, english));
    EXPECT_TRUE(matches(test::textClip(u"short needle"_s), u"needle"_s, english));
}

// Random clips and queries over a pool of awkward text: the engine's folded cache must give exactly the
// results of folding every clip afresh.
TEST(SmartSearch, CachedSearchAgreesWithFoldingEachClip) {
    const QString pool[] = {u"caf\u00E9"_s,     u"CAFE"_s,          u"cafe\u0301"_s, u"\uFF23\uFF41\uFF46\uFF45"_s,
                            u"\u4E2D\u6587"_s,  u"\u6771\u4EAC"_s,  u"\U0001F600"_s, u"\U0001F44D\U0001F3FD"_s,
                            u"\u0130stanbul"_s, u"\u0131stanbul"_s, u"ISTANBUL"_s,   u"istanbul"_s,
                            u"\uFF76\uFF9E"_s,  u"\u30AC"_s,        u"\uAC01"_s,     u"\u1100\u1161"_s,
                            u"report"_s,        u"memo"_s,          u"-"_s,          u"Stra\u00DFe"_s,
                            u"strasse"_s,       u"\u00C5"_s,        u"\u212B"_s,     u"x"_s};
    std::mt19937 random(20240611);
    const auto pick = [&] { return pool[random() % std::size(pool)]; };
    const auto phrase = [&](int maxWords) {
        QStringList words;
        const int count = int(random() % unsigned(maxWords + 1));
        for (int i = 0; i < count; ++i)
            words << (random() % 4 == 0 ? pick() + pick() : pick());
        return words.join(u' ');
    };

    for (const TextFolder& folder : {english, turkish}) {
        QList<ClipItem> clips;
        for (int i = 0; i < 150; ++i) {
            ClipItem clip = test::textClip(phrase(6) + u" "_s + QString::number(i), Timestamp{double(i)});
            if (random() % 3 == 0)
                clip.setRecognizedText(phrase(3));
            clips.append(clip);
        }
        HistoryEngine engine(clips, folder);
        for (int round = 0; round < 300; ++round) {
            QStringList words;
            const int count = 1 + int(random() % 3);
            for (int i = 0; i < count; ++i)
                words << (random() % 3 == 0 ? u"-"_s : QString()) + pick();
            const QString query = words.join(u' ');
            SCOPED_TRACE(query.toStdString());

            QList<ClipItem> expected;
            for (const ClipItem& clip : engine.items()) {
                if (matches(clip, query, folder))
                    expected.append(clip);
            }
            EXPECT_EQ(engine.filtered(query), expected);
        }
    }
}

// The first search folds the shared texts; copies searched on two threads at once must both see all of them.
TEST(SmartSearch, CopiesSearchedOnTwoThreadsAgree) {
    QList<ClipItem> clips;
    for (int i = 0; i < 2000; ++i)
        clips.append(test::textClip((i % 3 ? u"caf\u00E9 "_s : u"memo "_s) + QString::number(i), Timestamp{double(i)}));
    const HistoryEngine engine(clips, english);
    const HistoryEngine copy = engine;
    QList<ClipItem> fromThread;
    std::thread other([&] { fromThread = copy.filtered(u"CAFE -7"_s); });
    const QList<ClipItem> here = engine.filtered(u"CAFE -7"_s);
    other.join();
    QList<ClipItem> expected;
    for (const ClipItem& clip : engine.items()) {
        if (matches(clip, u"CAFE -7"_s, english))
            expected.append(clip);
    }
    EXPECT_GT(expected.size(), 500);
    EXPECT_EQ(here, expected);
    EXPECT_EQ(fromThread, expected);
}

// Texts of neighbouring clips share one buffer; a term must not be found across the end of one and the start
// of the next, nor across two texts of one clip.
TEST(SmartSearch, TermsNeverSpanTwoClipsOrTwoTexts) {
    ClipItem first = test::textClip(u"abc rep"_s, Timestamp{2});
    ClipItem second = test::textClip(u"ort xyz"_s, Timestamp{1});
    const HistoryEngine engine({first, second}, english);
    EXPECT_TRUE(engine.filtered(u"report"_s).isEmpty());
    EXPECT_TRUE(engine.filtered(u"xyzabc"_s).isEmpty());
    EXPECT_EQ(engine.filtered(u"-rep"_s), QList<ClipItem>{second});
    EXPECT_EQ(engine.filtered(u"ort -abc"_s), QList<ClipItem>{second});
    // The title and preview of one clip are two texts joined by a line feed.
    EXPECT_TRUE(engine.filtered(u"repabc"_s).isEmpty());
}
