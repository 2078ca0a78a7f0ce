#include "tests/support/ClipBuilders.h"

#include "core/classify/ContentClassifier.h"

namespace stowline::test {

ClipRepresentation textRepresentation(const QString& text, qint64 itemIndex) {
    return {itemIndex, TypeIdentifier::plainText, text.toUtf8()};
}

ClipItem textClip(const QString& text, Timestamp createdAt) {
    const ClipRepresentations representations{textRepresentation(text)};
    const ClipKind kind = ContentClassifier::kind(text, false);
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = createdAt,
                     .kind = kind,
                     .title = ContentClassifier::title(text, kind),
                     .preview = ContentClassifier::preview(text, ContentClassifier::capturePreviewLimit),
                     .sourceAppName = QStringLiteral("Editor"),
                     .sourceBundleIdentifier = QStringLiteral("org.example.Editor"),
                     .contentHash = ContentClassifier::hash(representations),
                     .byteCount = ContentClassifier::byteCount(representations),
                     .representations = representations});
}

ClipItem imageClip(const QByteArray& png, Timestamp createdAt) {
    const ClipRepresentations representations{{0, TypeIdentifier::png, png}};
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = createdAt,
                     .kind = ClipKind::image,
                     .title = label(ClipKind::image),
                     .preview = QStringLiteral("Image from Viewer"),
                     .sourceAppName = QStringLiteral("Viewer"),
                     .contentHash = ContentClassifier::hash(representations),
                     .byteCount = png.size(),
                     .representations = representations});
}

ClipItem clipOf(ClipKind kind, ClipRepresentations representations, qint64 byteCount) {
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{1},
                     .kind = kind,
                     .title = QStringLiteral("t"),
                     .preview = QStringLiteral("p"),
                     .contentHash = QStringLiteral("h"),
                     .byteCount = byteCount,
                     .representations = std::move(representations)});
}

ClipItem fullClip() {
    const ClipRepresentations representations{
        {0, TypeIdentifier::png, QByteArray("\x89PNG\r\n\x1a\n\0\x01", 10)},
        {0, TypeIdentifier::plainText, QByteArray("caption \"quoted\"\n\ttab \\ back\x01")},
        {1, TypeIdentifier::fileUrl, QByteArray()},
    };
    ClipItem item({.id = QUuid::fromString(u"0f8fad5b-d9cb-469f-a165-70867728950e"),
                   .createdAt = Timestamp{-1234.5678901234},
                   .lastUsedAt = Timestamp{786451200.125},
                   .kind = ClipKind::image,
                   .isFavorite = true,
                   .title = QStringLiteral("Image \u00e9\U0001F600"),
                   .preview = QStringLiteral("line one\nline two \u4e2d\u6587"),
                   .sourceAppName = QStringLiteral("Viewer"),
                   .sourceBundleIdentifier = QStringLiteral("org.gnome.Loupe"),
                   .contentHash = ContentClassifier::hash(representations),
                   .byteCount = ContentClassifier::byteCount(representations),
                   .representations = representations,
                   .thumbnailData = QByteArray("\xff\xd8\xff\xe0jpeg", 8)});
    item.setCapturedFileSizeBytes(9007199254740993LL);
    item.setImagePixelWidth(1920);
    item.setImagePixelHeight(1080);
    item.setContentMetadataVersion(1);
    item.setCredentialClassification(CredentialClassification{1, true});
    item.setRecognizedText(QStringLiteral("HELLO / world"));
    item.setTextRecognitionVersion(1);
    item.setTextFormat(TextContentFormat::sourceCode);
    item.setTextFormatVersion(1);
    return item;
}

} // namespace stowline::test
