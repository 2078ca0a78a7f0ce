#pragma once

#include "core/model/ClipListUpgrade.h"

namespace stowline {

// Brings a clip read from an archive up to the current metadata and detector rules, as the history holds it;
// returns whether it changed.
bool upgradeStoredClip(ClipItem& item);
// The same for every clip.
ClipListUpgrade upgradeStoredClips(QList<ClipItem> items);

} // namespace stowline
