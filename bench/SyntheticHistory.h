#pragma once

#include "core/model/ClipItem.h"

#include <QList>

namespace stowline::bench {

// Text clips with titles up to 80 and previews up to 800 characters mixing ASCII, accented Latin, CJK and
// full-width words; the same seed gives the same history.
QList<ClipItem> syntheticHistory(int count, unsigned seed);
ClipItem syntheticClip(int serial, unsigned seed, Timestamp lastUsedAt);

} // namespace stowline::bench
