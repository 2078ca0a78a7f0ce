#include "tests/support/ClipBuilders.h"

#include "core/classify/ContentClassifier.h"

namespace stowline::test {

ClipRepresentation textRepresentation(const QString& text, qint64 itemIndex) {
    return {itemIndex, TypeIdentifier::plainText, text.toUtf8()};
}

ClipItem textClip(const QString& text, Timestamp createdAt) {
    const ClipRepresentations representations{textRepresentation(text)};
    const ClipKind kind = ContentClassifier::kind(text, false);
    return ClipItem(QUuid::createUuid(), createdAt, std::nullopt, kind, false, ContentClassifier::title(text, kind),
                    ContentClassifier::preview(text, ContentClassifier::capturePreviewLimit), QStringLiteral("Editor"),
                    QStringLiteral("org.example.Editor"), ContentClassifier::hash(representations),
                    ContentClassifier::byteCount(representations), representations);
}

ClipItem imageClip(const QByteArray& png, Timestamp createdAt) {
    const ClipRepresentations representations{{0, TypeIdentifier::png, png}};
    return ClipItem(QUuid::createUuid(), createdAt, std::nullopt, ClipKind::image, false, label(ClipKind::image),
                    QStringLiteral("Image from Viewer"), QStringLiteral("Viewer"), std::nullopt,
                    ContentClassifier::hash(representations), png.size(), representations);
}

ClipItem fullClip() {
    const ClipRepresentations representations{
        {0, TypeIdentifier::png, QByteArray("\x89PNG\r\n\x1a\n\0\x01", 10)},
        {0, TypeIdentifier::plainText, QByteArray("caption \"quoted\"\n\ttab \\ back\x01")},
        {1, TypeIdentifier::fileUrl, QByteArray()},
    };
    ClipItem item(QUuid::fromString(u"0f8fad5b-d9cb-469f-a165-70867728950e"), Timestamp{-1234.5678901234},
                  Timestamp{786451200.125}, ClipKind::image, true, QStringLiteral("Image \u00e9\U0001F600"),
                  QStringLiteral("line one\nline two \u4e2d\u6587"), QStringLiteral("Viewer"),
                  QStringLiteral("org.gnome.Loupe"), ContentClassifier::hash(representations),
                  ContentClassifier::byteCount(representations), representations,
                  QByteArray("\xff\xd8\xff\xe0jpeg", 8));
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
