#include "core/model/ClipJson.h"

#include "tests/support/ClipBuilders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// Reference parse with a second, independent JSON reader so the tests see what was written.
QJsonObject parsed(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json.toStdString();
    return document.object();
}

QByteArray withChange(const ClipItem& item, const std::function<void(QJsonObject&)>& change) {
    QJsonObject object = parsed(ClipJson::encode(item));
    change(object);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

TEST(ClipJson, FullClipRoundTripsExactly) {
    const ClipItem item = test::fullClip();
    const auto decoded = ClipJson::decode(ClipJson::encode(item));
    ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
    EXPECT_EQ(*decoded, item);
}

TEST(ClipJson, MinimalClipWritesExactlyTheRequiredKeys) {
    const ClipItem item({.id = QUuid::createUuid(),
                         .createdAt = Timestamp{1},
                         .title = u"t"_s,
                         .preview = u"p"_s,
                         .contentHash = u"00"_s});
    const QByteArray json = ClipJson::encode(item);
    QStringList keys = parsed(json).keys();
    keys.sort();
    EXPECT_EQ(keys, (QStringList{u"byteCount"_s, u"contentHash"_s, u"createdAt"_s, u"id"_s, u"isFavorite"_s, u"kind"_s,
                                 u"lastUsedAt"_s, u"preview"_s, u"representations"_s, u"title"_s}));
    EXPECT_FALSE(json.contains("null"));
    const auto decoded = ClipJson::decode(json);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(*decoded, item);
}

TEST(ClipJson, WritesUpperCaseUuidBase64AndEmptyData) {
    const ClipItem item = test::fullClip();
    const QJsonObject object = parsed(ClipJson::encode(item));
    EXPECT_EQ(object[u"id"].toString(), u"0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(object[u"kind"].toString(), u"image");
    EXPECT_EQ(object[u"textFormat"].toString(), u"sourceCode");
    const auto representations = object[u"representations"].toArray();
    EXPECT_EQ(representations[2].toObject()[u"data"].toString(), u"");
    EXPECT_EQ(representations[0].toObject()[u"data"].toString(),
              QString::fromLatin1(QByteArray("\x89PNG\r\n\x1a\n\0\x01", 10).toBase64()));
    EXPECT_EQ(object[u"credentialClassification"].toObject().keys(),
              (QStringList{u"detectorVersion"_s, u"isCredential"_s}));
}

TEST(ClipJson, TimestampsRoundTripBitForBit) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> spread(-3e9, 3e9);
    for (int i = 0; i < 500; ++i) {
        const double seconds = i == 0 ? std::nextafter(0.0, 1.0) : spread(random) / (1 + i % 7);
        ClipItem item = test::textClip(u"x"_s, Timestamp{seconds});
        item.setLastUsedAt(Timestamp{std::nextafter(seconds, 1e18)});
        const auto decoded = ClipJson::decode(ClipJson::encode(item));
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->createdAt().seconds, seconds);
        EXPECT_EQ(decoded->lastUsedAt().seconds, item.lastUsedAt().seconds);
    }
}

TEST(ClipJson, ReadsLowerCaseUuidsNullOptionalsAndIgnoresUnknownKeys) {
    const ClipItem item = test::fullClip();
    const QByteArray json = withChange(item, [](QJsonObject& o) {
        o[u"id"] = o[u"id"].toString().toLower();
        o[u"textFormat"] = QJsonValue::Null;
        o[u"recognizedText"] = QJsonValue::Null;
        o[u"somethingNew"] = QJsonObject{{u"nested"_s, 1}};
    });
    const auto decoded = ClipJson::decode(json);
    ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
    EXPECT_EQ(decoded->id(), item.id());
    EXPECT_FALSE(decoded->textFormat().has_value());
    EXPECT_FALSE(decoded->recognizedText().has_value());
    EXPECT_EQ(decoded->textFormatVersion(), 1);
}

TEST(ClipJson, ReadsStoredValuesWithoutRecomputing) {
    ClipItem item = test::textClip(u"abc"_s, Timestamp{10});
    item.setLastUsedAt(Timestamp{5});
    const QByteArray json = withChange(item, [](QJsonObject& o) {
        o[u"contentHash"] = u"not a hash"_s;
        o[u"byteCount"] = 999;
    });
    const auto decoded = ClipJson::decode(json);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->lastUsedAt(), Timestamp{5});
    EXPECT_EQ(decoded->contentHash(), u"not a hash");
    EXPECT_EQ(decoded->byteCount(), 999);
}

TEST(ClipJson, EveryMissingRequiredKeyFailsNamingIt) {
    const ClipItem item = test::fullClip();
    for (const char16_t* key : {u"id", u"createdAt", u"lastUsedAt", u"kind", u"isFavorite", u"title", u"preview",
                                u"contentHash", u"byteCount", u"representations"}) {
        SCOPED_TRACE(QStringView(key).toString().toStdString());
        const auto decoded =
            ClipJson::decode(withChange(item, [&](QJsonObject& o) { o.remove(QStringView(key).toString()); }));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error(), (JsonDecodeError{JsonDecodeError::Reason::missingKey, QStringView(key).toString()}));
    }
}

TEST(ClipJson, MistypedOrInvalidValuesFail) {
    const ClipItem item = test::fullClip();
    struct Case {
        const char16_t* key;
        QJsonValue value;
    };
    const Case cases[] = {
        {u"id", u"0F8FAD5B-D9CB-469F-A165-70867728950"_s},    // one digit short
        {u"id", u"{0F8FAD5B-D9CB-469F-A165-70867728950E}"_s}, // braces are not the stored form
        {u"id", u"0F8FAD5BXD9CB-469F-A165-70867728950E"_s},
        {u"id", 12},
        {u"createdAt", u"yesterday"_s},
        {u"kind", u"Text"_s},
        {u"kind", u"picture"_s},
        {u"isFavorite", 1},
        {u"title", QJsonValue::Null},
        {u"byteCount", 1.5},
        {u"byteCount", u"12"_s},
        {u"representations", QJsonObject{}},
        {u"thumbnailData", u"not*base64"_s},
        {u"thumbnailData", 7},
        {u"textFormat", u"JSON"_s},
        {u"textFormatVersion", u"1"_s},
        {u"credentialClassification", QJsonObject{{u"detectorVersion"_s, 1}}},
        {u"credentialClassification", QJsonObject{{u"detectorVersion"_s, 1}, {u"isCredential"_s, u"yes"_s}}},
        {u"sourceAppName", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringView(c.key).toString().toStdString() + " = " +
                     QJsonDocument(QJsonArray{c.value}).toJson().toStdString());
        const auto decoded =
            ClipJson::decode(withChange(item, [&](QJsonObject& o) { o[QStringView(c.key).toString()] = c.value; }));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error().field, QStringView(c.key).toString());
    }
}

TEST(ClipJson, BrokenRepresentationsFail) {
    const ClipItem item = test::fullClip();
    for (const char16_t* key : {u"itemIndex", u"typeIdentifier", u"data"}) {
        SCOPED_TRACE(QStringView(key).toString().toStdString());
        const auto decoded = ClipJson::decode(withChange(item, [&](QJsonObject& o) {
            QJsonArray representations = o[u"representations"].toArray();
            QJsonObject first = representations[0].toObject();
            first.remove(QStringView(key).toString());
            representations[0] = first;
            o[u"representations"] = representations;
        }));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error().reason, JsonDecodeError::Reason::missingKey);
    }
}

TEST(ClipJson, MalformedDocumentsFailWithoutCrashing) {
    const QByteArray valid = ClipJson::encode(test::fullClip());
    for (qsizetype cut : {qsizetype(0), qsizetype(1), valid.size() / 2, valid.size() - 1}) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(ClipJson::decode(valid.left(cut)).ok());
    }
    EXPECT_FALSE(ClipJson::decode(valid + "garbage").ok());
    EXPECT_FALSE(ClipJson::decode("[]").ok());
    EXPECT_FALSE(ClipJson::decode("{\"id\": }").ok());
    EXPECT_FALSE(ClipJson::decode(QByteArray("{\"title\":\"\xff\xfe\"}")).ok());
}

TEST(ClipJson, ReadsEscapedBase64) {
    // Other writers may escape "/" inside Base64 strings.
    const QByteArray bytes("\xff\xff\xff\xfe", 4);
    ASSERT_TRUE(bytes.toBase64().contains('/'));
    QByteArray json = withChange(test::fullClip(),
                                 [&](QJsonObject& o) { o[u"thumbnailData"] = QString::fromLatin1(bytes.toBase64()); });
    json.replace("\"thumbnailData\":\"" + bytes.toBase64(),
                 "\"thumbnailData\":\"" + bytes.toBase64().replace("/", "\\/"));
    ASSERT_TRUE(json.contains("\\/"));
    const auto decoded = ClipJson::decode(json);
    ASSERT_TRUE(decoded.ok()) << decoded.error().describe().toStdString();
    EXPECT_EQ(decoded->thumbnailData(), bytes);
}

TEST(ClipJson, EscapesEveryControlCharacterQuoteAndBackslashAsAnotherParserReadsThem) {
    QString tricky = u"\"quoted\" back\\slash é 😀 "_s;
    for (char16_t c = 0; c < 0x20; ++c)
        tricky += QChar(c);
    ClipCore core = test::textClip(u"x"_s).core();
    core.title = tricky;
    core.preview = u"ascii only \t\n\u007f"_s;
    ClipItem item(core);
    item.setRecognizedText(tricky);
    const QJsonObject json = parsed(ClipJson::encode(item));
    EXPECT_EQ(json.value(u"title"_s).toString(), tricky);
    EXPECT_EQ(json.value(u"preview"_s).toString(), u"ascii only \t\n\u007f"_s);
    EXPECT_EQ(json.value(u"recognizedText"_s).toString(), tricky);
    EXPECT_EQ(ClipJson::decode(ClipJson::encode(item)).value(), item);
}
