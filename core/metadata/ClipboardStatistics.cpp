#include "core/metadata/ClipboardStatistics.h"

namespace stowline {

ClipboardStatistics::ClipboardStatistics(const QList<ClipItem>& items) : totalItems(items.size()) {
    for (const ClipItem& item : items) {
        capturedContentBytes += item.byteCount();
        if (item.kind() == ClipKind::image) {
            ++imageCount;
            imageContentBytes += item.byteCount();
        } else if (item.kind() == ClipKind::file) {
            ++fileCount;
            capturedFileBytes += item.capturedFileSizeBytes().value_or(0);
        }
    }
}

} // namespace stowline
