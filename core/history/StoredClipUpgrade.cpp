#include "core/history/StoredClipUpgrade.h"

#include "core/detect/CredentialDetector.h"
#include "core/metadata/CapturedContentMetadata.h"

namespace stowline {

ClipListUpgrade upgradeStoredClips(QList<ClipItem> items) {
    const std::atomic<bool> never{false};
    return *upgradeStoredClips(std::move(items), never);
}

std::optional<ClipListUpgrade> upgradeStoredClips(QList<ClipItem> items, const std::atomic<bool>& stopped) {
    ClipListUpgrade result;
    for (ClipItem& item : items) {
        if (stopped.load(std::memory_order_relaxed))
            return std::nullopt;
        const bool metadata = CapturedContentMetadata::upgradeClip(item);
        const bool credential = CredentialDetector::upgradeClip(item);
        result.changed = result.changed || metadata || credential;
    }
    result.items = std::move(items);
    return result;
}

} // namespace stowline
