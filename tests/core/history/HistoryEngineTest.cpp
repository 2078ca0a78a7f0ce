#include "core/history/HistoryEngine.h"

#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

ClipItem clip(const QString& text, double lastUsed, bool favorite = false) {
    ClipItem item = test::textClip(text, Timestamp{lastUsed});
    item.setIsFavorite(favorite);
    return item;
}

QStringList titles(const HistoryEngine& engine) {
    QStringList result;
    for (const ClipItem& item : engine.items())
        result << item.title();
    return result;
}

ClipItem imageClip(const QString& hash) {
    const ClipRepresentations representations{{0, TypeIdentifier::png, hash.toUtf8()}};
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{5},
                     .kind = ClipKind::image,
                     .title = u"Image"_s,
                     .contentHash = hash,
                     .byteCount = 1,
                     .representations = representations});
}

} // namespace

TEST(HistoryEngine, InitSortsFavouritesFirstThenRecentStably) {
    const HistoryEngine engine({clip(u"a"_s, 1), clip(u"b"_s, 3), clip(u"c"_s, 2, true), clip(u"d"_s, 3),
                                clip(u"e"_s, 0, true), clip(u"f"_s, 2, true)});
    EXPECT_EQ(titles(engine), (QStringList{u"c"_s, u"f"_s, u"e"_s, u"b"_s, u"d"_s, u"a"_s}));
    // An ingested clip goes after those it ties with, as if appended and sorted again.
    HistoryEngine grown = engine;
    grown.ingest(clip(u"g"_s, 3), 0);
    EXPECT_EQ(titles(grown), (QStringList{u"c"_s, u"f"_s, u"e"_s, u"b"_s, u"d"_s, u"g"_s, u"a"_s}));
}

TEST(HistoryEngine, RecaptureMergesIntoExistingEntry) {
    ClipItem original = clip(u"same"_s, 10, true);
    original.setCredentialClassification(CredentialClassification{1, false});
    original.setTextFormat(TextContentFormat::json);
    original.setTextFormatVersion(1);
    HistoryEngine engine({original, clip(u"fav"_s, 20, true), clip(u"other"_s, 30)});

    ClipItem again = clip(u"same"_s, 40);
    again.setCredentialClassification(CredentialClassification{1, true});
    again.setTextFormatVersion(1);
    EXPECT_EQ(engine.ingest(again, 10), original.id());
    ASSERT_EQ(engine.size(), 3);
    const ClipItem& merged = engine.at(0);
    EXPECT_EQ(merged.id(), original.id());
    EXPECT_EQ(merged.lastUsedAt(), Timestamp{40});
    EXPECT_EQ(merged.createdAt(), Timestamp{10});
    EXPECT_TRUE(merged.isFavorite());
    EXPECT_TRUE(merged.isCredential());
    EXPECT_FALSE(merged.textFormat().has_value());
    EXPECT_EQ(merged.textFormatVersion(), 1);
    EXPECT_EQ(titles(engine), (QStringList{u"same"_s, u"fav"_s, u"other"_s}));
    EXPECT_EQ(engine.itemWithContentHash(original.contentHash())->id(), original.id());
}

TEST(HistoryEngine, RecaptureKeepsDerivedFieldsOfOtherVersions) {
    ClipItem original = clip(u"same"_s, 10);
    original.setCredentialClassification(CredentialClassification{1, true});
    original.setTextFormat(TextContentFormat::yaml);
    original.setTextFormatVersion(1);
    const struct {
        std::optional<CredentialClassification> credential;
        std::optional<qint64> formatVersion;
    } cases[] = {{std::nullopt, std::nullopt}, {CredentialClassification{2, false}, 2}, {std::nullopt, 0}};
    for (const auto& c : cases) {
        HistoryEngine engine({original});
        ClipItem again = clip(u"same"_s, 20);
        again.setCredentialClassification(c.credential);
        again.setTextFormat(TextContentFormat::sql);
        again.setTextFormatVersion(c.formatVersion);
        engine.ingest(again, 0);
        EXPECT_EQ(engine.at(0).credentialClassification(), original.credentialClassification());
        EXPECT_EQ(engine.at(0).textFormat(), TextContentFormat::yaml);
        EXPECT_EQ(engine.at(0).lastUsedAt(), Timestamp{20});
    }
}

TEST(HistoryEngine, PruningKeepsFavouritesAndTheMostRecent) {
    struct Case {
        qint64 limit;
        int favorites;
        int others;
        qsizetype expectedSize;
        bool newSurvives;
    };
    const Case cases[] = {{0, 2, 5, 8, true},  {-3, 2, 5, 8, true}, {3, 2, 5, 3, true},
                          {2, 3, 0, 3, false}, {5, 0, 9, 5, true},  {1, 1, 0, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        QList<ClipItem> items;
        for (int i = 0; i < c.favorites; ++i)
            items << clip(u"fav "_s + QString::number(i), i, true);
        for (int i = 0; i < c.others; ++i)
            items << clip(u"other "_s + QString::number(i), i);
        HistoryEngine engine(items);
        const ClipItem fresh = clip(u"fresh"_s, 100);
        EXPECT_EQ(engine.ingest(fresh, c.limit), fresh.id());
        EXPECT_EQ(engine.size(), c.expectedSize);
        EXPECT_EQ(engine.item(fresh.id()) != nullptr, c.newSurvives);
        qsizetype favorites = 0;
        for (const ClipItem& item : engine.items())
            favorites += item.isFavorite();
        EXPECT_EQ(favorites, c.favorites);
    }
}

TEST(HistoryEngine, MarkUsedAndToggleMoveOneEntryStably) {
    HistoryEngine engine({clip(u"a"_s, 5), clip(u"b"_s, 5), clip(u"c"_s, 3), clip(u"d"_s, 3), clip(u"f"_s, 1, true)});
    EXPECT_EQ(titles(engine), (QStringList{u"f"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s}));

    const QUuid d = engine.at(4).id();
    EXPECT_TRUE(engine.markUsed(d, Timestamp{5}));
    EXPECT_EQ(titles(engine), (QStringList{u"f"_s, u"a"_s, u"b"_s, u"d"_s, u"c"_s}));
    EXPECT_FALSE(engine.markUsed(d, Timestamp{5}));

    const QUuid a = engine.at(1).id();
    EXPECT_TRUE(engine.markUsed(a, Timestamp{3}));
    EXPECT_EQ(titles(engine), (QStringList{u"f"_s, u"b"_s, u"d"_s, u"a"_s, u"c"_s}));

    EXPECT_TRUE(engine.toggleFavorite(engine.at(4).id()));
    EXPECT_EQ(titles(engine), (QStringList{u"c"_s, u"f"_s, u"b"_s, u"d"_s, u"a"_s}));
    // Back among equals, it takes its old place relative to them: it was ahead of a.
    EXPECT_TRUE(engine.toggleFavorite(engine.at(0).id()));
    EXPECT_EQ(titles(engine), (QStringList{u"f"_s, u"b"_s, u"d"_s, u"c"_s, u"a"_s}));

    EXPECT_FALSE(engine.markUsed(QUuid::createUuid(), Timestamp{9}));
    EXPECT_FALSE(engine.toggleFavorite(QUuid::createUuid()));
}

TEST(HistoryEngine, RemovalsKeepOrder) {
    const QList<ClipItem> items{clip(u"f1"_s, 1, true), clip(u"a"_s, 9), clip(u"f2"_s, 0, true), clip(u"b"_s, 4),
                                clip(u"c"_s, 2)};
    HistoryEngine engine(items);
    EXPECT_FALSE(engine.deleteItem(QUuid::createUuid()));
    EXPECT_TRUE(engine.deleteItem(items[3].id()));
    EXPECT_EQ(titles(engine), (QStringList{u"f1"_s, u"f2"_s, u"a"_s, u"c"_s}));

    HistoryEngine expiring(items);
    EXPECT_TRUE(expiring.removeExpired(Timestamp{4}));
    EXPECT_EQ(titles(expiring), (QStringList{u"f1"_s, u"f2"_s, u"a"_s, u"b"_s}));
    EXPECT_FALSE(expiring.removeExpired(Timestamp{4}));

    HistoryEngine keeping(items);
    EXPECT_TRUE(keeping.clear(ClearScope::keepingFavorites));
    EXPECT_EQ(titles(keeping), (QStringList{u"f1"_s, u"f2"_s}));
    EXPECT_FALSE(keeping.clear(ClearScope::keepingFavorites));
    EXPECT_TRUE(keeping.clear(ClearScope::everything));
    EXPECT_TRUE(keeping.isEmpty());

    HistoryEngine plain({clip(u"x"_s, 1), clip(u"y"_s, 2)});
    EXPECT_TRUE(plain.clear(ClearScope::keepingFavorites));
    EXPECT_TRUE(plain.isEmpty());
}

TEST(HistoryEngine, DeleteRemovesEveryEntryWithTheId) {
    const ClipItem a = clip(u"a"_s, 1);
    ClipCore twinCore = clip(u"twin"_s, 3).core();
    twinCore.id = a.id();
    const ClipItem twin(std::move(twinCore));
    HistoryEngine engine({a, clip(u"b"_s, 2), twin});
    EXPECT_EQ(engine.item(a.id())->title(), u"twin"_s);
    EXPECT_TRUE(engine.deleteItem(a.id()));
    EXPECT_EQ(titles(engine), (QStringList{u"b"_s}));
}

TEST(HistoryEngine, RetentionCountsCalendarDaysAcrossDaylightSaving) {
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    // 1 April 2024, 12:00 summer time; 30 calendar days earlier is 2 March, 12:00 winter time (11:00 UTC), one
    // hour less than 30 times 24 hours.
    const Timestamp now = Timestamp::fromDateTime(QDateTime(QDate(2024, 4, 1), QTime(12, 0), berlin));
    const auto at = [&](int day, int hour, int minute) {
        return Timestamp::fromDateTime(QDateTime(QDate(2024, 3, day), QTime(hour, minute), berlin)).seconds;
    };
    EXPECT_EQ(HistoryEngine::retentionCutoff(30, now, berlin), Timestamp{at(2, 12, 0)});

    const QList<ClipItem> items{clip(u"kept"_s, at(2, 12, 0)), clip(u"just expired"_s, at(2, 11, 30)),
                                clip(u"old favourite"_s, at(1, 0, 0), true), clip(u"recent"_s, at(20, 8, 0))};
    for (qint64 days : {0, -1}) {
        HistoryEngine engine(items);
        EXPECT_FALSE(engine.applyRetention(days, now, berlin));
        EXPECT_EQ(engine.size(), 4);
    }
    HistoryEngine engine(items);
    EXPECT_TRUE(engine.applyRetention(30, now, berlin));
    EXPECT_EQ(titles(engine), (QStringList{u"old favourite"_s, u"recent"_s, u"kept"_s}));

    // A cut-off beyond the calendar's range removes nothing.
    HistoryEngine far(items);
    EXPECT_FALSE(far.applyRetention(std::numeric_limits<qint64>::max(), now, berlin));
    EXPECT_EQ(far.size(), 4);
}

TEST(HistoryEngine, RetentionKeepsFractionsOfASecond) {
    const QTimeZone utc = QTimeZone::utc();
    const Timestamp now{1000000.0004};
    EXPECT_EQ(HistoryEngine::retentionCutoff(1, now, utc), Timestamp{now.seconds - 86400});
}

TEST(HistoryEngine, RecognizedTextOnlyForTheMatchingImage) {
    const ClipItem image = imageClip(u"hash-1"_s);
    const ClipItem text = clip(u"words"_s, 1);
    HistoryEngine engine({image, text});
    EXPECT_FALSE(engine.applyRecognizedText(text.id(), text.contentHash(), u"x"_s, 1));
    EXPECT_FALSE(engine.applyRecognizedText(image.id(), u"hash-2"_s, u"x"_s, 1));
    EXPECT_FALSE(engine.applyRecognizedText(QUuid::createUuid(), u"hash-1"_s, u"x"_s, 1));
    EXPECT_TRUE(engine.filtered(u"invoice"_s).isEmpty());

    EXPECT_TRUE(engine.applyRecognizedText(image.id(), u"hash-1"_s, u"Invoice 42"_s, 1));
    EXPECT_EQ(engine.filtered(u"invoice"_s).size(), 1) << "the new text is searched at once";
    EXPECT_FALSE(engine.applyRecognizedText(image.id(), u"hash-1"_s, u"Invoice 42"_s, 1));
    EXPECT_TRUE(engine.applyRecognizedText(image.id(), u"hash-1"_s, u"Invoice 42"_s, 2));
    EXPECT_EQ(engine.item(image.id())->textRecognitionVersion(), 2);
    EXPECT_EQ(engine.filtered(u"invoice"_s).size(), 1);

    EXPECT_TRUE(engine.applyRecognizedText(image.id(), u"hash-1"_s, std::nullopt, 2));
    EXPECT_FALSE(engine.item(image.id())->recognizedText().has_value());
    EXPECT_FALSE(engine.applyRecognizedText(image.id(), u"hash-1"_s, std::nullopt, 2));
    EXPECT_EQ(engine.items()[0].id(), image.id());
}

TEST(HistoryEngine, CopiesAreIndependent) {
    HistoryEngine engine({clip(u"a"_s, 1), clip(u"b"_s, 2)});
    const HistoryEngine copy = engine;
    engine.toggleFavorite(engine.at(1).id());
    engine.ingest(clip(u"c"_s, 3), 0);
    EXPECT_EQ(titles(copy), (QStringList{u"b"_s, u"a"_s}));
    EXPECT_FALSE(copy.at(1).isFavorite());
    EXPECT_EQ(titles(engine), (QStringList{u"a"_s, u"c"_s, u"b"_s}));
    EXPECT_EQ(copy.at(0).representations()[0].data.constData(), engine.at(2).representations()[0].data.constData());
}

TEST(HistoryEngine, ChangingTheLocaleRefoldsEntries) {
    HistoryEngine engine({clip(u"Isparta"_s, 1)}, TextFolder(QLocale(u"en_US"_s)));
    EXPECT_EQ(engine.filtered(u"isparta"_s).size(), 1);
    engine.setFolder(TextFolder(QLocale(u"tr_TR"_s)));
    EXPECT_TRUE(engine.filtered(u"isparta"_s).isEmpty());
    EXPECT_EQ(engine.filtered(u"ISPARTA"_s).size(), 1) << "the query is folded under the same rules";
    EXPECT_EQ(engine.filtered(u"\u0131sparta"_s).size(), 1);
}
