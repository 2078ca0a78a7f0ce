#pragma once

#include "core/model/ClipListUpgrade.h"

#include <atomic>
#include <optional>

namespace stowline {

// Brings clips read from an archive up to the current metadata and detector rules, as the history holds them.
ClipListUpgrade upgradeStoredClips(QList<ClipItem> items);
// The same, given up (nothing returned) once `stopped` reads true, which is checked between two clips.
std::optional<ClipListUpgrade> upgradeStoredClips(QList<ClipItem> items, const std::atomic<bool>& stopped);

} // namespace stowline
