#pragma once

#include <QtGlobal>

namespace stowline::test {

// The highest resident memory a process has had, in bytes (this process when `pid` is 0); -1 when unknown.
qint64 peakResidentBytes(qint64 pid = 0);

} // namespace stowline::test
