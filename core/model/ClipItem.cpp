#include "core/model/ClipItem.h"

namespace stowline {

ClipItem::ClipItem(ClipCore core)
    : m_id(core.id)
    , m_createdAt(core.createdAt)
    , m_lastUsedAt(core.lastUsedAt.value_or(core.createdAt))
    , m_kind(core.kind)
    , m_isFavorite(core.isFavorite)
    , m_title(std::move(core.title))
    , m_preview(std::move(core.preview))
    , m_sourceAppName(std::move(core.sourceAppName))
    , m_sourceBundleIdentifier(std::move(core.sourceBundleIdentifier))
    , m_contentHash(std::move(core.contentHash))
    , m_byteCount(core.byteCount)
    , m_representations(std::move(core.representations))
    , m_thumbnailData(std::move(core.thumbnailData)) {}

ClipCore ClipItem::core() const {
    return {.id = m_id,
            .createdAt = m_createdAt,
            .lastUsedAt = m_lastUsedAt,
            .kind = m_kind,
            .isFavorite = m_isFavorite,
            .title = m_title,
            .preview = m_preview,
            .sourceAppName = m_sourceAppName,
            .sourceBundleIdentifier = m_sourceBundleIdentifier,
            .contentHash = m_contentHash,
            .byteCount = m_byteCount,
            .representations = m_representations,
            .thumbnailData = m_thumbnailData};
}

} // namespace stowline
