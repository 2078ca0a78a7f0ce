#include "app/commands/ClipReference.h"
#include "app/commands/ClipReport.h"
#include "core/model/ClipJson.h"
#include "tests/support/ClipBuilders.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// The same clip under another id, through the archive's own encoding.
ClipItem withId(const ClipItem& item, const QString& id) {
    QByteArray json = ClipJson::encode(item);
    json.replace(item.id().toString(QUuid::WithoutBraces).toUpper().toLatin1(), id.toUpper().toLatin1());
    return ClipJson::decode(json).value();
}

// Newest first, as the history holds them.
HistoryEngine historyOf(QList<ClipItem> items) {
    double used = 1000;
    for (ClipItem& item : items)
        item.setLastUsedAt(Timestamp{used--});
    return HistoryEngine(items);
}

ClipQuery shown(bool json, bool showSecrets) {
    ClipQuery query;
    query.json = json;
    query.showSecrets = showSecrets;
    return query;
}

} // namespace

TEST(ClipReport, RendersLinesAndJsonWithCredentialsConcealedUnlessAsked) {
    ClipItem secret = test::textClip(u"hunter2-very-secret"_s);
    secret.setCredentialClassification(CredentialClassification{1, true});
    const HistoryEngine history = historyOf({test::textClip(u"first line\nsecond\tline"_s), secret});
    const QList<ListedClip> clips = ClipReport::select(history, {});
    const QString id = history.at(1).id().toString(QUuid::Id128).left(8);

    const QStringList lines = ClipReport::render(clips, {}, 8).split(u'\n');
    EXPECT_EQ(lines, (QStringList{u"1\t"_s + history.at(0).id().toString(QUuid::Id128).left(8) +
                                      u"\ttext\tfirst line second line"_s,
                                  u"2\t"_s + id + u"\ttext\tCredential from Editor"_s, QString()}));
    EXPECT_TRUE(ClipReport::render(clips, shown(false, true), 8).contains(u"\thunter2-very-secret\n"_s));

    for (bool showSecrets : {false, true}) {
        SCOPED_TRACE(showSecrets);
        const QString json = ClipReport::render(clips, shown(true, showSecrets), 8);
        EXPECT_EQ(json.count(u'\n'), 2);
        EXPECT_EQ(json.contains(u"hunter2"_s), showSecrets);
        const QJsonObject object = QJsonDocument::fromJson(json.section(u'\n', 1, 1).toUtf8()).object();
        EXPECT_EQ(object.value(u"id"_s).toString(), history.at(1).id().toString(QUuid::WithoutBraces));
        EXPECT_EQ(object.value(u"number"_s).toInt(), 2);
        EXPECT_EQ(object.value(u"kind"_s).toString(), u"text"_s);
        EXPECT_EQ(object.value(u"isCredential"_s).toBool(), true);
        EXPECT_EQ(object.value(u"isFavorite"_s).toBool(), false);
        EXPECT_EQ(object.value(u"sourceAppName"_s).toString(), u"Editor"_s);
        EXPECT_EQ(object.value(u"createdAt"_s).toString(), u"2001-01-01T00:16:40.000Z"_s);
        EXPECT_EQ(object.value(u"byteCount"_s).toInt(), 19);
        EXPECT_EQ(object.value(u"preview"_s).isNull(), !showSecrets);
        EXPECT_TRUE(object.value(u"imagePixelWidth"_s).isNull());
    }
}

TEST(ClipReference, NamesAClipByIdPartNumberOrListLine) {
    const ClipItem a = withId(test::textClip(u"a"_s), u"0f8fad5b-d9cb-469f-a165-70867728950e"_s);
    const ClipItem b = withId(test::textClip(u"b"_s), u"0f8fad5b-aaaa-469f-a165-70867728950e"_s);
    const ClipItem c = withId(test::textClip(u"c"_s), u"12345678-0000-4000-8000-000000000000"_s);
    const HistoryEngine history = historyOf({a, b, c});
    // Two ids share their first 8 digits, so `list` shows more of each.
    EXPECT_EQ(ClipReport::idLength(history), 9);
    EXPECT_EQ(ClipReport::idLength(historyOf({a, c})), 8);

    const struct {
        QString text;
        QString resolved; // the title, or the start of the error
    } cases[] = {
        {u"0f8fad5bd"_s, u"a"_s},
        {u"0F8FAD5BA"_s, u"b"_s},
        {u"{0f8fad5b-aaaa-469f-a165-70867728950e}"_s, u"b"_s},
        {u"0f8fad5b-d9cb-469f-a165-70867728950e"_s, u"a"_s},
        {u"12345678"_s, u"c"_s},
        {u"2"_s, u"b"_s},
        {u"3\t12345678\ttext\tc\n"_s, u"c"_s},
        {u"0f8fad5b"_s, u"0f8fad5b names more than one clip"_s},
        {u"4"_s, u"there is no clip 4; the history holds 3"_s},
        {u"abcdef01"_s, u"no clip has the id abcdef01"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const auto reference = ClipReference::parse(c.text);
        ASSERT_TRUE(reference.has_value());
        const auto found = reference->resolve(history);
        EXPECT_TRUE(found ? found->item.title() == c.resolved : found.error().startsWith(c.resolved))
            << (found ? found->item.title() : found.error()).toStdString();
    }
    for (const QString& text : {u"0"_s, u"-1"_s, u"+2"_s, u"0f8fad5"_s, u"0f8fad5-b"_s, u"clip"_s, QString()}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(ClipReference::parse(text).has_value());
    }
}
