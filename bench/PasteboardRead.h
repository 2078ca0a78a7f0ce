#pragma once

#include "app/platform/Pasteboard.h"

namespace stowline::bench {

// Reads the clipboard entry as the monitor does: asks for a snapshot and runs the event loop until it comes.
PasteboardSnapshot readSnapshot(Pasteboard& pasteboard, const PasteboardReadLimits& limits);

} // namespace stowline::bench
