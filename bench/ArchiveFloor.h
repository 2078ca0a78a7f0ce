#pragma once

#include <QString>
#include <QtGlobal>

namespace stowline::bench {

// The least an archive of `bytes` bytes costs on this machine: the same bytes sealed with AES-256-GCM in place,
// written atomically into `folder`, read back and opened again. Median of `repeats` rounds, in seconds.
double archiveFloorSeconds(int repeats, qint64 bytes, const QString& folder);

} // namespace stowline::bench
