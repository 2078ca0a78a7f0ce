#include "core/metadata/ClipPresentationMetadata.h"

#include "core/metadata/ByteCountFormatter.h"

namespace stowline::ClipPresentationMetadata {

using namespace Qt::StringLiterals;

std::optional<QString> detail(const ClipItem& item) {
    switch (item.kind()) {
    case ClipKind::file: {
        const auto size = item.capturedFileSizeBytes();
        if (size && *size >= 0)
            return ByteCountFormatter::string(*size);
        return u"Size unavailable"_s;
    }
    case ClipKind::image: {
        const auto width = item.imagePixelWidth();
        const auto height = item.imagePixelHeight();
        if (width && height && *width >= 1 && *height >= 1)
            return QString::number(*width) + u'\u00D7' + QString::number(*height) + u" px"_s;
        return u"Resolution unavailable"_s;
    }
    default:
        return std::nullopt;
    }
}

} // namespace stowline::ClipPresentationMetadata
