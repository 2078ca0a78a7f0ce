#pragma once

#include "core/model/ClipKind.h"
#include "core/model/ClipRepresentation.h"
#include "core/model/CredentialClassification.h"
#include "core/model/TextContentFormat.h"
#include "core/model/Timestamp.h"
#include "core/model/Utf8Text.h"

#include <QByteArray>
#include <QSharedData>
#include <QSharedDataPointer>
#include <QString>
#include <QUuid>

#include <array>
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
// A history holds every entry in memory, so the fields a text clip leaves empty live in one shared block that only
// the entries using them allocate, and a content hash that is a SHA-256 digest in hex is held as its 32 bytes.
class ClipItem {
public:
    ClipItem() = default;
    explicit ClipItem(ClipCore core);

    // The capture core of this entry, to build a variant of it: `ClipCore c = item.core(); c.kind = ...;`.
    ClipCore core() const;

    const QUuid& id() const { return m_id; }
    Timestamp createdAt() const { return m_createdAt; }
    Timestamp lastUsedAt() const { return m_lastUsedAt; }
    ClipKind kind() const { return ClipKind(m_kind); }
    bool isFavorite() const { return m_isFavorite; }
    QString title() const { return QString::fromUtf8(titleUtf8()); }
    QString preview() const { return QString::fromUtf8(m_preview); }
    QByteArrayView titleUtf8() const {
        return m_titleInPreview >= 0 ? QByteArrayView(m_preview).first(m_titleInPreview)
                                     : QByteArrayView(extras().title);
    }
    const QByteArray& previewUtf8() const { return m_preview; }
    // Whether the title is the preview's first bytes.
    bool titleBeginsPreview() const { return m_titleInPreview >= 0; }
    std::optional<QString> sourceAppName() const { return held(Flag::hasSourceAppName, m_sourceAppName); }
    std::optional<QString> sourceBundleIdentifier() const {
        return held(Flag::hasSourceBundleIdentifier, m_sourceBundleIdentifier);
    }
    QString contentHash() const;
    // Lookups by content hash without spelling the hash out: the fingerprint is equal for equal hashes.
    bool hasContentHash(QStringView contentHash) const;
    quint64 contentHashFingerprint() const;
    static quint64 contentHashFingerprint(QStringView contentHash);
    qint64 byteCount() const { return m_byteCount; }
    const ClipRepresentations& representations() const { return m_representations; }
    const std::optional<QByteArray>& thumbnailData() const { return extras().thumbnailData; }
    std::optional<qint64> capturedFileSizeBytes() const { return extras().capturedFileSizeBytes; }
    std::optional<qint64> imagePixelWidth() const { return extras().imagePixelWidth; }
    std::optional<qint64> imagePixelHeight() const { return extras().imagePixelHeight; }
    std::optional<qint64> contentMetadataVersion() const {
        return held(Flag::hasContentMetadataVersion, m_contentMetadataVersion);
    }
    std::optional<CredentialClassification> credentialClassification() const {
        if (!(m_flags & Flag::hasCredentialClassification))
            return std::nullopt;
        return CredentialClassification{m_detectorVersion, bool(m_flags & Flag::credentialPositive)};
    }
    const std::optional<QString>& recognizedText() const { return extras().recognizedText; }
    std::optional<qint64> textRecognitionVersion() const { return extras().textRecognitionVersion; }
    std::optional<TextContentFormat> textFormat() const {
        return held(Flag::hasTextFormat, TextContentFormat(m_textFormat));
    }
    std::optional<qint64> textFormatVersion() const { return held(Flag::hasTextFormatVersion, m_textFormatVersion); }

    void setLastUsedAt(Timestamp value) { m_lastUsedAt = value; }
    void setIsFavorite(bool value) { m_isFavorite = value; }
    void setCapturedFileSizeBytes(std::optional<qint64> value) { setExtra(&Extras::capturedFileSizeBytes, value); }
    void setImagePixelWidth(std::optional<qint64> value) { setExtra(&Extras::imagePixelWidth, value); }
    void setImagePixelHeight(std::optional<qint64> value) { setExtra(&Extras::imagePixelHeight, value); }
    void setContentMetadataVersion(std::optional<qint64> value) {
        hold(Flag::hasContentMetadataVersion, m_contentMetadataVersion, value);
    }
    void setCredentialClassification(std::optional<CredentialClassification> value) {
        hold(Flag::hasCredentialClassification, m_detectorVersion,
             value ? std::optional(value->detectorVersion) : std::nullopt);
        m_flags =
            value && value->isCredential ? m_flags | Flag::credentialPositive : m_flags & ~Flag::credentialPositive;
    }
    void setRecognizedText(std::optional<QString> value) { setExtra(&Extras::recognizedText, std::move(value)); }
    void setTextRecognitionVersion(std::optional<qint64> value) { setExtra(&Extras::textRecognitionVersion, value); }
    void setTextFormat(std::optional<TextContentFormat> value) {
        hold(Flag::hasTextFormat, m_textFormat, value ? std::optional(quint8(*value)) : std::nullopt);
    }
    void setTextFormatVersion(std::optional<qint64> value) {
        hold(Flag::hasTextFormatVersion, m_textFormatVersion, value);
    }

    bool isCredential() const { return m_flags & Flag::credentialPositive; }

    friend bool operator==(const ClipItem& a, const ClipItem& b);

private:
    struct ExtraFields {
        // The title when it does not begin the preview.
        QByteArray title;
        // The content hash when it is not a SHA-256 digest in hex.
        QString contentHash;
        std::optional<QByteArray> thumbnailData;
        std::optional<qint64> capturedFileSizeBytes;
        std::optional<qint64> imagePixelWidth;
        std::optional<qint64> imagePixelHeight;
        std::optional<QString> recognizedText;
        std::optional<qint64> textRecognitionVersion;

        friend bool operator==(const ExtraFields&, const ExtraFields&) = default;
    };
    struct Extras : QSharedData, ExtraFields {};

    // Which inline optional fields hold a value, the credential verdict, and whether `m_digest` is the hash.
    enum Flag : quint8 {
        hasSourceAppName = 1 << 0,
        hasSourceBundleIdentifier = 1 << 1,
        hasContentMetadataVersion = 1 << 2,
        hasCredentialClassification = 1 << 3,
        credentialPositive = 1 << 4,
        hasTextFormat = 1 << 5,
        hasTextFormatVersion = 1 << 6,
        hashIsDigest = 1 << 7,
    };

    const ExtraFields& extras() const;
    template <typename T>
    std::optional<T> held(Flag flag, const T& value) const {
        return m_flags & flag ? std::optional<T>(value) : std::nullopt;
    }
    template <typename T>
    void hold(Flag flag, T& field, std::optional<T> value) {
        m_flags = value ? m_flags | flag : m_flags & ~flag;
        field = value ? std::move(*value) : T();
    }
    // Allocates the shared block only for a value, and copies it first when another entry shares it.
    template <typename T>
    void setExtra(std::optional<T> ExtraFields::*field, std::optional<T> value) {
        if (!value && !(extras().*field))
            return;
        if (!m_extras)
            m_extras = new Extras;
        m_extras.data()->*field = std::move(value);
    }

    QUuid m_id;
    Timestamp m_createdAt;
    Timestamp m_lastUsedAt;
    QByteArray m_preview;
    ClipRepresentations m_representations;
    QString m_sourceAppName;
    QString m_sourceBundleIdentifier;
    std::array<quint8, 32> m_digest{};
    qint64 m_byteCount = 0;
    qint64 m_contentMetadataVersion = 0;
    qint64 m_detectorVersion = 0;
    qint64 m_textFormatVersion = 0;
    QSharedDataPointer<Extras> m_extras;
    // The title's length in bytes when it begins the preview (then the extras hold no title), otherwise -1.
    qint32 m_titleInPreview = -1;
    quint8 m_kind = quint8(ClipKind::text);
    quint8 m_textFormat = 0;
    bool m_isFavorite = false;
    quint8 m_flags = 0;
};

} // namespace stowline
