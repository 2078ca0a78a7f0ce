#include "core/metadata/CapturedContentMetadata.h"

#include "core/text/Utf8.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

namespace stowline::CapturedContentMetadata {

namespace {

// The decoder is chosen from the data's signature, so no other image plugin ever looks at clipboard bytes.
QByteArray headerFormat(QByteArrayView data) {
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4)))
        return "tiff";
    return {};
}

} // namespace

std::optional<qint64> aggregateRegularFileSize(const QList<QUrl>& urls) {
    if (urls.isEmpty())
        return std::nullopt;
    qint64 total = 0;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            return std::nullopt;
        // lstat: a symbolic link is not itself a regular file.
        struct stat status {};
        if (::lstat(QFile::encodeName(url.toLocalFile()).constData(), &status) != 0 || !S_ISREG(status.st_mode))
            return std::nullopt;
        total += static_cast<qint64>(status.st_size);
    }
    return total;
}

std::optional<PixelDimensions> imagePixelDimensions(QByteArrayView data) {
    const QByteArray format = headerFormat(data);
    if (format.isEmpty())
        return std::nullopt;
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.width() < 1 || size.height() < 1)
        return std::nullopt;
    return PixelDimensions{size.width(), size.height()};
}

QList<QUrl> fileUrls(const ClipRepresentations& representations) {
    QList<QUrl> urls;
    for (const ClipRepresentation& representation : representations) {
        if (representation.typeIdentifier != TypeIdentifier::fileUrl)
            continue;
        const std::optional<QString> text = Utf8::decode(representation.data);
        if (!text)
            continue;
        const QUrl url(*text, QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty())
            urls.append(url);
    }
    return urls;
}

bool upgradeClip(ClipItem& item) {
    if (item.contentMetadataVersion() == currentVersion)
        return false;
    if (item.kind() == ClipKind::file && !item.capturedFileSizeBytes()) {
        item.setCapturedFileSizeBytes(aggregateRegularFileSize(fileUrls(item.representations())));
    } else if (item.kind() == ClipKind::image && (!item.imagePixelWidth() || !item.imagePixelHeight())) {
        for (const ClipRepresentation& representation : item.representations()) {
            if (representation.typeIdentifier != TypeIdentifier::png &&
                representation.typeIdentifier != TypeIdentifier::tiff)
                continue;
            if (const auto dimensions = imagePixelDimensions(representation.data)) {
                item.setImagePixelWidth(dimensions->width);
                item.setImagePixelHeight(dimensions->height);
                break;
            }
        }
    }
    // Also when nothing could be derived, so the derivation is not retried at every start.
    item.setContentMetadataVersion(currentVersion);
    return true;
}

ClipListUpgrade upgrade(QList<ClipItem> items) {
    ClipListUpgrade result;
    for (ClipItem& item : items)
        result.changed |= upgradeClip(item);
    result.items = std::move(items);
    return result;
}

} // namespace stowline::CapturedContentMetadata
