#pragma once

#include "core/model/ClipItem.h"

#include <QList>

namespace stowline::bench {

// Text clips with titles up to 80 and previews up to 800 characters mixing ASCII, accented Latin, CJK and
// full-width words; the same salt gives the same history.
QList<ClipItem> syntheticHistory(int count, unsigned salt);
ClipItem syntheticClip(int serial, unsigned salt, Timestamp lastUsedAt);
// A PNG clip from a screenshot tool; `contentHash` is given so that clips sharing pixels can stay distinct entries.
ClipItem syntheticImageClip(const QByteArray& pixels, int serial, const QString& contentHash);

} // namespace stowline::bench
