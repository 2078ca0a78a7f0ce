#include "core/model/ClipItem.h"

#include <tuple>

namespace stowline {

ClipItem::ClipItem(ClipCore core)
    : m_id(core.id)
    , m_createdAt(core.createdAt)
    , m_lastUsedAt(core.lastUsedAt.value_or(core.createdAt))
    , m_kind(core.kind)
    , m_isFavorite(core.isFavorite)
    , m_preview(core.preview.utf8())
    , m_sourceAppName(std::move(core.sourceAppName))
    , m_sourceBundleIdentifier(std::move(core.sourceBundleIdentifier))
    , m_contentHash(std::move(core.contentHash))
    , m_byteCount(core.byteCount)
    , m_representations(std::move(core.representations))
    , m_thumbnailData(std::move(core.thumbnailData)) {
    // A text clip's preview is usually its whole text: then it shares the payload's bytes.
    for (const ClipRepresentation& representation : std::as_const(m_representations)) {
        if (representation.data.size() == m_preview.size() && representation.data == m_preview) {
            m_preview = representation.data;
            break;
        }
    }
    const QByteArray& title = core.title.utf8();
    if (title.size() <= m_preview.size() && m_preview.startsWith(title))
        m_titleInPreview = qint32(title.size());
    else
        m_title = title;
}

bool operator==(const ClipItem& a, const ClipItem& b) {
    const auto fields = [](const ClipItem& item) {
        return std::tie(item.m_id, item.m_createdAt, item.m_lastUsedAt, item.m_kind, item.m_isFavorite, item.m_preview,
                        item.m_sourceAppName, item.m_sourceBundleIdentifier, item.m_contentHash, item.m_byteCount,
                        item.m_representations, item.m_thumbnailData, item.m_capturedFileSizeBytes,
                        item.m_imagePixelWidth, item.m_imagePixelHeight, item.m_contentMetadataVersion,
                        item.m_credentialClassification, item.m_recognizedText, item.m_textRecognitionVersion,
                        item.m_textFormat, item.m_textFormatVersion);
    };
    // Every field but the title's form of storage.
    return a.titleUtf8() == b.titleUtf8() && fields(a) == fields(b);
}

ClipCore ClipItem::core() const {
    return {.id = m_id,
            .createdAt = m_createdAt,
            .lastUsedAt = m_lastUsedAt,
            .kind = m_kind,
            .isFavorite = m_isFavorite,
            .title = Utf8Text::fromUtf8(titleUtf8().toByteArray()),
            .preview = Utf8Text::fromUtf8(m_preview),
            .sourceAppName = m_sourceAppName,
            .sourceBundleIdentifier = m_sourceBundleIdentifier,
            .contentHash = m_contentHash,
            .byteCount = m_byteCount,
            .representations = m_representations,
            .thumbnailData = m_thumbnailData};
}

} // namespace stowline
