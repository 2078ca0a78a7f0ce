#include "core/model/ClipItem.h"

#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

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

// The rarely set fields live in a block copies share until one of them changes it.
TEST(ClipItem, SettingAFieldOnACopyLeavesTheOriginal) {
    const ClipItem original = test::fullClip();
    ClipItem copy = original;
    copy.setRecognizedText(u"changed"_s);
    copy.setImagePixelWidth(std::nullopt);
    EXPECT_EQ(original, test::fullClip());
    EXPECT_EQ(copy.recognizedText(), u"changed"_s);
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
