#include "core/model/ClipItem.h"

namespace stowline {

ClipItem::ClipItem(QUuid id, Timestamp createdAt, std::optional<Timestamp> lastUsedAt, ClipKind kind, bool isFavorite,
                   QString title, QString preview, std::optional<QString> sourceAppName,
                   std::optional<QString> sourceBundleIdentifier, QString contentHash, qint64 byteCount,
                   ClipRepresentations representations, std::optional<QByteArray> thumbnailData)
    : m_id(id)
    , m_createdAt(createdAt)
    , m_lastUsedAt(lastUsedAt.value_or(createdAt))
    , m_kind(kind)
    , m_isFavorite(isFavorite)
    , m_title(std::move(title))
    , m_preview(std::move(preview))
    , m_sourceAppName(std::move(sourceAppName))
    , m_sourceBundleIdentifier(std::move(sourceBundleIdentifier))
    , m_contentHash(std::move(contentHash))
    , m_byteCount(byteCount)
    , m_representations(std::move(representations))
    , m_thumbnailData(std::move(thumbnailData)) {}

} // namespace stowline
