#include "core/model/ClipItem.h"

#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(ClipItem, LastUsedDefaultsToCreatedAt) {
    const ClipItem item = test::textClip(QStringLiteral("hello"), Timestamp{42.5});
    EXPECT_EQ(item.lastUsedAt(), Timestamp{42.5});
    EXPECT_FALSE(item.textFormat().has_value());
    EXPECT_FALSE(item.recognizedText().has_value());
}

TEST(ClipItem, IsCredentialFollowsClassification) {
    ClipItem item = test::textClip(QStringLiteral("hunter2"));
    EXPECT_FALSE(item.isCredential());
    item.setCredentialClassification(CredentialClassification{1, false});
    EXPECT_FALSE(item.isCredential());
    item.setCredentialClassification(CredentialClassification{1, true});
    EXPECT_TRUE(item.isCredential());
}

TEST(ClipItem, EqualityCoversMutableFieldsAndRepresentationOrder) {
    const ClipItem base = test::fullClip();
    EXPECT_EQ(base, ClipItem(base));

    ClipItem used = base;
    used.setLastUsedAt(base.lastUsedAt().addingSeconds(1));
    EXPECT_NE(base, used);

    ClipItem unfavoured = base;
    unfavoured.setIsFavorite(false);
    EXPECT_NE(base, unfavoured);

    ClipCore reordered = base.core();
    std::reverse(reordered.representations.begin(), reordered.representations.end());
    EXPECT_NE(ClipItem(base.core()), ClipItem(reordered));

    ClipItem noVersion = base;
    noVersion.setTextFormatVersion(std::nullopt);
    EXPECT_NE(base, noVersion);
}

TEST(ClipItem, CopiesSharePayloads) {
    const ClipItem item = test::fullClip();
    const ClipItem copy = item;
    EXPECT_EQ(item.representations().constData(), copy.representations().constData());
    EXPECT_EQ(item.representations()[0].data.constData(), copy.representations()[0].data.constData());
}

TEST(ClipItem, SettingAFieldOnACopyLeavesTheOriginal) {
    const ClipItem original = test::fullClip();
    ClipItem copy = original;
    copy.setRecognizedText(u"changed"_s);
    copy.setImagePixelWidth(std::nullopt);
    copy.setTextFormat(std::nullopt);
    EXPECT_EQ(original, test::fullClip());
    EXPECT_EQ(copy.recognizedText(), u"changed"_s);
    EXPECT_FALSE(copy.imagePixelWidth().has_value());
    EXPECT_EQ(copy.imagePixelHeight(), 1080);
}

// A digest in hex is held as its bytes; every other spelling must still read back as it was given.
TEST(ClipItem, ContentHashReadsBackAsGiven) {
    const QString digest = test::fullClip().contentHash();
    for (const QString& hash : {digest, digest.toUpper(), digest.left(63) + u'g', u"h1"_s, QString()}) {
        SCOPED_TRACE(hash.toStdString());
        ClipCore core = test::fullClip().core();
        core.contentHash = hash;
        const ClipItem item(core);
        EXPECT_EQ(item.contentHash(), hash);
        EXPECT_TRUE(item.hasContentHash(hash));
        EXPECT_EQ(item.contentHashFingerprint(), ClipItem::contentHashFingerprint(hash));
        EXPECT_EQ(item.hasContentHash(digest), hash == digest);
    }
}

// Archives name kinds by these; renaming one makes every stored clip of that kind unreadable.
TEST(ClipKind, RawValuesAreTheArchiveForm) {
    QStringList raw;
    for (ClipKind kind : allCases<ClipKind>())
        raw << rawValue(kind);
    EXPECT_EQ(raw, (QStringList{u"text"_s, u"link"_s, u"color"_s, u"image"_s, u"file"_s, u"richText"_s}));
}

TEST(TextContentFormat, OnlyPlainTextAndMarkdownAreNotCode) {
    for (TextContentFormat format : allCases<TextContentFormat>()) {
        EXPECT_EQ(fromRawValue<TextContentFormat>(rawValue(format)), format);
        EXPECT_EQ(isCodeLike(format), format != TextContentFormat::plain && format != TextContentFormat::markdown);
    }
}
