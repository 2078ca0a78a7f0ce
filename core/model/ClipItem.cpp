#include "core/model/ClipItem.h"

#include <QHashFunctions>

#include <cstring>
#include <tuple>

namespace stowline {

namespace {

using Digest = std::array<quint8, 32>;

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

// The bytes of a hash written as captures write it, 64 lower-case hex digits; any other spelling is kept as text,
// so the hash reads back exactly as it was given.
std::optional<Digest> digestOf(QStringView hash) {
    if (hash.size() != 64)
        return std::nullopt;
    Digest digest;
    for (size_t i = 0; i < digest.size(); ++i) {
        const int high = hexDigit(hash[qsizetype(2 * i)].unicode());
        const int low = hexDigit(hash[qsizetype(2 * i + 1)].unicode());
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[i] = quint8(high << 4 | low);
    }
    return digest;
}

quint64 fingerprintOf(const Digest& digest) {
    quint64 fingerprint = 0;
    std::memcpy(&fingerprint, digest.data(), sizeof fingerprint);
    return fingerprint;
}

} // namespace

ClipItem::ClipItem(ClipCore core)
    : m_id(core.id)
    , m_createdAt(core.createdAt)
    , m_lastUsedAt(core.lastUsedAt.value_or(core.createdAt))
    , m_preview(core.preview.utf8())
    , m_representations(std::move(core.representations))
    , m_sourceAppName(core.sourceAppName.value_or(QString()))
    , m_sourceBundleIdentifier(core.sourceBundleIdentifier.value_or(QString()))
    , m_byteCount(core.byteCount)
    , m_kind(quint8(core.kind))
    , m_isFavorite(core.isFavorite) {
    if (core.sourceAppName)
        m_flags |= Flag::hasSourceAppName;
    if (core.sourceBundleIdentifier)
        m_flags |= Flag::hasSourceBundleIdentifier;
    if (const auto digest = digestOf(core.contentHash)) {
        m_digest = *digest;
        m_flags |= Flag::hashIsDigest;
    } else if (!core.contentHash.isEmpty()) {
        m_extras = new Extras;
        m_extras->contentHash = std::move(core.contentHash);
    }
    setExtra(&Extras::thumbnailData, std::move(core.thumbnailData));
    // A text clip's preview is usually its whole text: then it shares the payload's bytes.
    for (const ClipRepresentation& representation : std::as_const(m_representations)) {
        if (representation.data.size() == m_preview.size() && representation.data == m_preview) {
            m_preview = representation.data;
            break;
        }
    }
    const QByteArray& title = core.title.utf8();
    if (title.size() <= m_preview.size() && m_preview.startsWith(title)) {
        m_titleInPreview = qint32(title.size());
    } else {
        if (!m_extras)
            m_extras = new Extras;
        m_extras->title = title;
    }
}

const ClipItem::ExtraFields& ClipItem::extras() const {
    static const ExtraFields none;
    return m_extras ? *m_extras : none;
}

QString ClipItem::contentHash() const {
    if (!(m_flags & Flag::hashIsDigest))
        return extras().contentHash;
    static constexpr char16_t digits[] = u"0123456789abcdef";
    QString hex(qsizetype(2 * m_digest.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(hex.data());
    for (quint8 byte : m_digest) {
        *out++ = digits[byte >> 4];
        *out++ = digits[byte & 0xF];
    }
    return hex;
}

bool ClipItem::hasContentHash(QStringView contentHash) const {
    if (!(m_flags & Flag::hashIsDigest))
        return extras().contentHash == contentHash;
    return digestOf(contentHash) == m_digest;
}

quint64 ClipItem::contentHashFingerprint() const {
    return m_flags & Flag::hashIsDigest ? fingerprintOf(m_digest) : qHash(QStringView(extras().contentHash));
}

quint64 ClipItem::contentHashFingerprint(QStringView contentHash) {
    const auto digest = digestOf(contentHash);
    return digest ? fingerprintOf(*digest) : qHash(contentHash);
}

bool operator==(const ClipItem& a, const ClipItem& b) {
    const auto fields = [](const ClipItem& item) {
        return std::tie(item.m_id, item.m_createdAt, item.m_lastUsedAt, item.m_kind, item.m_isFavorite, item.m_preview,
                        item.m_sourceAppName, item.m_sourceBundleIdentifier, item.m_digest, item.m_byteCount,
                        item.m_representations, item.m_contentMetadataVersion, item.m_detectorVersion,
                        item.m_textFormat, item.m_textFormatVersion, item.m_flags);
    };
    // Every field but the title's form of storage, which follows from the title and the preview.
    return a.titleUtf8() == b.titleUtf8() && fields(a) == fields(b) && a.extras() == b.extras();
}

ClipCore ClipItem::core() const {
    return {.id = m_id,
            .createdAt = m_createdAt,
            .lastUsedAt = m_lastUsedAt,
            .kind = kind(),
            .isFavorite = m_isFavorite,
            .title = Utf8Text::fromUtf8(titleUtf8().toByteArray()),
            .preview = Utf8Text::fromUtf8(m_preview),
            .sourceAppName = sourceAppName(),
            .sourceBundleIdentifier = sourceBundleIdentifier(),
            .contentHash = contentHash(),
            .byteCount = m_byteCount,
            .representations = m_representations,
            .thumbnailData = thumbnailData()};
}

} // namespace stowline
