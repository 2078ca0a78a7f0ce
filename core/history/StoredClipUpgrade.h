#pragma once

#include "core/model/ClipListUpgrade.h"

namespace stowline {

// Brings clips read from an archive up to the current metadata and detector rules, as the history holds them.
ClipListUpgrade upgradeStoredClips(QList<ClipItem> items);

} // namespace stowline
