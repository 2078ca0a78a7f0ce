#pragma once

#include <QByteArray>

#include <optional>

namespace stowline::SecureRandom {

// Bytes from the system's cryptographically secure generator; nothing when it fails.
std::optional<QByteArray> bytes(qsizetype count);

} // namespace stowline::SecureRandom
