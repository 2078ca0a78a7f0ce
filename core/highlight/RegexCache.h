#pragma once

#include "core/text/Regex.h"

#include <QString>

#include <optional>

namespace stowline::RegexCache {

// The compiled pattern (no options), compiled on first use and kept for the process; nothing when it does not
// compile (failures are not kept, so they are tried again). Any thread.
std::optional<Regex> regex(const QString& pattern);

} // namespace stowline::RegexCache
