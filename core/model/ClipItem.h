#pragma once

#include "core/model/ClipKind.h"
#include "core/model/ClipRepresentation.h"
#include "core/model/CredentialClassification.h"
#include "core/model/TextContentFormat.h"
#include "core/model/Timestamp.h"
#include "core/model/Utf8Text.h"

#include <QByteArray>
#include <QString>
#include <QUuid>

#include <optional>

namespace stowline {

// The part of a history entry fixed at capture, named field by field so a call site cannot swap two neighbours of
// the same type. A missing `lastUsedAt` means "used when created". Every field has an initialiser so designated
// initialisers may leave any of them out.
struct ClipCore {
    QUuid id{};
    Timestamp createdAt{};
    std::optional<Timestamp> lastUsedAt{};
    ClipKind kind = ClipKind::text;
    bool isFavorite = false;
    Utf8Text title{};
    Utf8Text preview{};
    std::optional<QString> sourceAppName{};
    std::optional<QString> sourceBundleIdentifier{};
    QString contentHash{};
    qint64 byteCount = 0;
    ClipRepresentations representations{};
    std::optional<QByteArray> thumbnailData{};
};

// One history entry: a core fixed at capture plus the fields later passes fill in. A value; payload bytes are
// implicitly shared, so copying an entry never copies clipboard data. The title and preview are held as UTF-8;
// a preview equal to a payload shares its bytes, and a title that begins the preview is held as its length.
class ClipItem {
public:
    ClipItem() = default;
    explicit ClipItem(ClipCore core);

    // The capture core of this entry, to build a variant of it: `ClipCore c = item.core(); c.kind = ...;`.
    ClipCore core() const;

    const QUuid& id() const { return m_id; }
    Timestamp createdAt() const { return m_createdAt; }
    Timestamp lastUsedAt() const { return m_lastUsedAt; }
    ClipKind kind() const { return m_kind; }
    bool isFavorite() const { return m_isFavorite; }
    QString title() const { return QString::fromUtf8(titleUtf8()); }
    QString preview() const { return QString::fromUtf8(m_preview); }
    QByteArrayView titleUtf8() const {
        return m_titleInPreview >= 0 ? QByteArrayView(m_preview).first(m_titleInPreview) : QByteArrayView(m_title);
    }
    const QByteArray& previewUtf8() const { return m_preview; }
    // Whether the title is the preview's first bytes.
    bool titleBeginsPreview() const { return m_titleInPreview >= 0; }
    const std::optional<QString>& sourceAppName() const { return m_sourceAppName; }
    const std::optional<QString>& sourceBundleIdentifier() const { return m_sourceBundleIdentifier; }
    const QString& contentHash() const { return m_contentHash; }
    qint64 byteCount() const { return m_byteCount; }
    const ClipRepresentations& representations() const { return m_representations; }
    const std::optional<QByteArray>& thumbnailData() const { return m_thumbnailData; }
    std::optional<qint64> capturedFileSizeBytes() const { return m_capturedFileSizeBytes; }
    std::optional<qint64> imagePixelWidth() const { return m_imagePixelWidth; }
    std::optional<qint64> imagePixelHeight() const { return m_imagePixelHeight; }
    std::optional<qint64> contentMetadataVersion() const { return m_contentMetadataVersion; }
    const std::optional<CredentialClassification>& credentialClassification() const {
        return m_credentialClassification;
    }
    const std::optional<QString>& recognizedText() const { return m_recognizedText; }
    std::optional<qint64> textRecognitionVersion() const { return m_textRecognitionVersion; }
    std::optional<TextContentFormat> textFormat() const { return m_textFormat; }
    std::optional<qint64> textFormatVersion() const { return m_textFormatVersion; }

    void setLastUsedAt(Timestamp value) { m_lastUsedAt = value; }
    void setIsFavorite(bool value) { m_isFavorite = value; }
    void setCapturedFileSizeBytes(std::optional<qint64> value) { m_capturedFileSizeBytes = value; }
    void setImagePixelWidth(std::optional<qint64> value) { m_imagePixelWidth = value; }
    void setImagePixelHeight(std::optional<qint64> value) { m_imagePixelHeight = value; }
    void setContentMetadataVersion(std::optional<qint64> value) { m_contentMetadataVersion = value; }
    void setCredentialClassification(std::optional<CredentialClassification> value) {
        m_credentialClassification = value;
    }
    void setRecognizedText(std::optional<QString> value) { m_recognizedText = std::move(value); }
    void setTextRecognitionVersion(std::optional<qint64> value) { m_textRecognitionVersion = value; }
    void setTextFormat(std::optional<TextContentFormat> value) { m_textFormat = value; }
    void setTextFormatVersion(std::optional<qint64> value) { m_textFormatVersion = value; }

    bool isCredential() const { return m_credentialClassification && m_credentialClassification->isCredential; }

    friend bool operator==(const ClipItem& a, const ClipItem& b);

private:
    QUuid m_id;
    Timestamp m_createdAt;
    Timestamp m_lastUsedAt;
    ClipKind m_kind = ClipKind::text;
    bool m_isFavorite = false;
    // The title's length in bytes when it begins the preview (then `m_title` is empty), otherwise -1.
    qint32 m_titleInPreview = -1;
    QByteArray m_title;
    QByteArray m_preview;
    std::optional<QString> m_sourceAppName;
    std::optional<QString> m_sourceBundleIdentifier;
    QString m_contentHash;
    qint64 m_byteCount = 0;
    ClipRepresentations m_representations;
    std::optional<QByteArray> m_thumbnailData;
    std::optional<qint64> m_capturedFileSizeBytes;
    std::optional<qint64> m_imagePixelWidth;
    std::optional<qint64> m_imagePixelHeight;
    std::optional<qint64> m_contentMetadataVersion;
    std::optional<CredentialClassification> m_credentialClassification;
    std::optional<QString> m_recognizedText;
    std::optional<qint64> m_textRecognitionVersion;
    std::optional<TextContentFormat> m_textFormat;
    std::optional<qint64> m_textFormatVersion;
};

} // namespace stowline
