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

    ClipRepresentations reversed = base.representations();
    std::reverse(reversed.begin(), reversed.end());
    const ClipItem reordered(base.id(), base.createdAt(), base.lastUsedAt(), base.kind(), base.isFavorite(),
                             base.title(), base.preview(), base.sourceAppName(), base.sourceBundleIdentifier(),
                             base.contentHash(), base.byteCount(), reversed, base.thumbnailData());
    EXPECT_NE(base.representations(), reordered.representations());

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

TEST(ClipKind, CasesLabelsAndExactRawValues) {
    QStringList raw;
    for (ClipKind kind : allCases<ClipKind>())
        raw << rawValue(kind);
    EXPECT_EQ(raw, (QStringList{u"text"_s, u"link"_s, u"color"_s, u"image"_s, u"file"_s, u"richText"_s}));
    EXPECT_EQ(label(ClipKind::richText), u"Rich Text");
    EXPECT_EQ(fromRawValue<ClipKind>(u"richText"), ClipKind::richText);
    EXPECT_FALSE(fromRawValue<ClipKind>(u"RichText").has_value());
    EXPECT_FALSE(fromRawValue<ClipKind>(u"Text").has_value());
    EXPECT_FALSE(fromRawValue<ClipKind>(u"").has_value());
}

TEST(TextContentFormat, LabelsAndCodeLikeness) {
    EXPECT_EQ(allCases<TextContentFormat>().size(), 10u);
    EXPECT_EQ(label(TextContentFormat::sourceCode), u"Code");
    EXPECT_EQ(label(TextContentFormat::plain), u"Plain Text");
    EXPECT_EQ(rawValue(TextContentFormat::javascript), u"javascript");
    EXPECT_FALSE(isCodeLike(TextContentFormat::plain));
    EXPECT_FALSE(isCodeLike(TextContentFormat::markdown));
    for (TextContentFormat format : allCases<TextContentFormat>()) {
        SCOPED_TRACE(rawValue(format).toStdString());
        EXPECT_EQ(fromRawValue<TextContentFormat>(rawValue(format)), format);
        if (format != TextContentFormat::plain && format != TextContentFormat::markdown) {
            EXPECT_TRUE(isCodeLike(format));
        }
    }
}
