#include "core/archive/StowlineArchive.h"

#include "core/archive/StowlineArchiveDecoder.h"
#include "core/archive/StowlineCipher.h"
#include "core/model/ClipJson.h"
#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

using Kind = StowlineCipherError::Kind;
using Reason = JsonDecodeError::Reason;

// Every decoding test runs twice: in pieces as large as a file is read in, and in pieces of a few bytes, so every
// value, key and entry is cut somewhere and the entries go to several threads.
class StowlineArchiveDecoding : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { StowlineArchiveDecoder::setPieceBytesForTesting(GetParam() ? 3 : 0); }
    void TearDown() override { StowlineArchiveDecoder::setPieceBytesForTesting(0); }
};

INSTANTIATE_TEST_SUITE_P(WholeAndInSmallPieces, StowlineArchiveDecoding, ::testing::Bool());

} // namespace

TEST_P(StowlineArchiveDecoding, KeysInAnyOrderAndUnknownKeysAreAccepted) {
    const ClipItem clip = test::fullClip();
    const QByteArray item = ClipJson::encode(clip);
    const ClipItem tricky = test::textClip(uR"(quotes " and brackets ]}[{ and \" \)"_s);
    const QByteArray trickyItem = ClipJson::encode(tricky);
    const QByteArray documents[] = {
        R"({"schemaVersion":1,"items":[)" + item + "," + trickyItem + "]}",
        R"({"items":[)" + item + "," + trickyItem + R"(],"schemaVersion":1})",
        R"( { "fut\"ure]" : {"nested":[true,null,"]}"]}, "items" : [ )" + item + " ,\n" + trickyItem +
            R"( ] , "schema\u0056ersion" : 1 } )",
    };
    for (const QByteArray& json : documents) {
        SCOPED_TRACE(json.left(60).toStdString());
        const auto decoded = StowlineArchive::decode(json);
        ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
        EXPECT_EQ(decoded->schemaVersion, 1);
        EXPECT_EQ(decoded->items, QList<ClipItem>({clip, tricky}));
    }
    // Whatever is sealed opens again, also past the limit.
    StowlineArchive archive;
    archive.items = {clip, tricky};
    const QByteArray key(StowlineCipher::keyByteCount, 'k');
    EXPECT_EQ(*StowlineCipher::open(*StowlineCipher::seal(archive, key), key), archive);
}

TEST_P(StowlineArchiveDecoding, MalformedRootsAreDecodingErrors) {
    const struct {
        QByteArray json;
        Reason reason;
        QString field;
    } cases[] = {
        {R"({"items":[]})", Reason::missingKey, u"schemaVersion"_s},
        {R"({"schemaVersion":2})", Reason::missingKey, u"items"_s},
        {R"({"schemaVersion":"2","items":[]})", Reason::typeMismatch, u"schemaVersion"_s},
        {R"({"schemaVersion":2.5,"items":[]})", Reason::typeMismatch, u"schemaVersion"_s},
        {R"({"schemaVersion":2,"items":{}})", Reason::typeMismatch, u"items"_s},
        {R"([])", Reason::typeMismatch, u""_s},
        {R"({"schemaVersion":2,"items":[]} {})", Reason::syntax, u""_s},
        {R"({"schemaVersion":2,"items":[])", Reason::syntax, u""_s},
        {"", Reason::syntax, u""_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json.toStdString());
        const auto decoded = StowlineArchive::decode(c.json);
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error().kind, Kind::decodingFailed);
        EXPECT_EQ(decoded.error().itemIndex, -1);
        if (c.reason != Reason::syntax) {
            EXPECT_EQ(decoded.error().decoding.reason, c.reason);
            EXPECT_EQ(decoded.error().decoding.field, c.field);
        }
    }
    // A newer writer's archive is reported as such, before its entries are looked at.
    EXPECT_EQ(StowlineArchive::decode(R"({"schemaVersion":3,"items":[{]})").error(),
              StowlineCipherError::unsupportedSchema(3));
}

TEST_P(StowlineArchiveDecoding, AFailingEntryIsNamedByItsIndex) {
    const QByteArray good = ClipJson::encode(test::textClip(u"good"_s));
    QByteArray bad = ClipJson::encode(test::textClip(u"bad"_s));
    ASSERT_TRUE(bad.contains(R"("id":")"));
    bad.replace(R"("id":")", R"("id":"X)");
    // In pieces, the entries go to several threads: the first failing one in the text is named, not a later one.
    QByteArray entries = good;
    for (int i = 1; i < 30; ++i)
        entries += "," + good;
    const auto decoded = StowlineArchive::decode(R"({"schemaVersion":2,"items":[)" + entries + "," + bad + "," + good +
                                                 ",{}," + bad + "]}");
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().kind, Kind::decodingFailed);
    EXPECT_EQ(decoded.error().itemIndex, 30);
    EXPECT_EQ(decoded.error().decoding.field, u"id"_s);
    EXPECT_TRUE(decoded.error().describe().startsWith(u"entry 30: "_s));
    // All of them, in order, when none fails.
    const auto whole = StowlineArchive::decode(R"({"schemaVersion":2,"items":[)" + entries + "]}");
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(whole->items, QList<ClipItem>(30, *ClipJson::decode(good)));
}

TEST(StowlineArchive, EncodesCompactlyInHistoryOrder) {
    StowlineArchive archive;
    EXPECT_EQ(archive.encode(), R"({"schemaVersion":2,"items":[]})");
    archive.items = {test::textClip(u"one"_s), test::textClip(u"two"_s)};
    const QByteArray json = archive.encode();
    EXPECT_EQ(json, R"({"schemaVersion":2,"items":[)" + ClipJson::encode(archive.items[0]) + "," +
                        ClipJson::encode(archive.items[1]) + "]}");
    EXPECT_GE(archive.encodedSizeHint(), json.size());
}

TEST(StowlineArchive, PayloadsMustBePaddedBase64) {
    const QByteArray item = ClipJson::encode(test::textClip(u"payload"_s));
    const QByteArray original = "\"data\":\"" + QByteArray("payload").toBase64() + "\"";
    ASSERT_TRUE(item.contains(original));
    const struct {
        QByteArray data;
        std::optional<QByteArray> decoded;
    } cases[] = {
        {"", QByteArray()},          {"QQ==", QByteArray("A")},        {"QUI=", QByteArray("AB")},
        {"QUJD", QByteArray("ABC")}, {"QUJDRA==", QByteArray("ABCD")}, {"QQ", std::nullopt},
        {"QUJ", std::nullopt},       {"Q===", std::nullopt},           {"QQ==QUJD", std::nullopt},
        {" QUJD", std::nullopt},     {"QUJD ", std::nullopt},          {"QU JD", std::nullopt},
        {"QUJ*", std::nullopt},      {"QUJD\\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.toStdString());
        QByteArray changed = item;
        changed.replace(original, "\"data\":\"" + c.data + "\"");
        const auto decoded = StowlineArchive::decode(R"({"schemaVersion":2,"items":[)" + changed + "]}");
        if (c.decoded) {
            ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
            EXPECT_EQ(decoded->items.first().representations().first().data, *c.decoded);
        } else {
            ASSERT_FALSE(decoded.ok());
            EXPECT_EQ(decoded.error().decoding.field, u"data"_s);
        }
    }
}
