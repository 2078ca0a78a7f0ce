#include "core/history/StoredClipUpgrade.h"

#include "core/detect/CredentialDetector.h"
#include "core/metadata/CapturedContentMetadata.h"

namespace stowline {

bool upgradeStoredClip(ClipItem& item) {
    const bool metadata = CapturedContentMetadata::upgradeClip(item);
    const bool credential = CredentialDetector::upgradeClip(item);
    return metadata || credential;
}

ClipListUpgrade upgradeStoredClips(QList<ClipItem> items) {
    ClipListUpgrade result;
    for (ClipItem& item : items)
        result.changed = upgradeStoredClip(item) || result.changed;
    result.items = std::move(items);
    return result;
}

} // namespace stowline
