#include "core/history/StoredClipUpgrade.h"

#include "core/detect/CredentialDetector.h"
#include "core/metadata/CapturedContentMetadata.h"

namespace stowline {

ClipListUpgrade upgradeStoredClips(QList<ClipItem> items) {
    ClipListUpgrade metadata = CapturedContentMetadata::upgrade(std::move(items));
    ClipListUpgrade credentials = CredentialDetector::upgrade(std::move(metadata.items));
    credentials.changed = credentials.changed || metadata.changed;
    return credentials;
}

} // namespace stowline
