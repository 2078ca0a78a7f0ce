#pragma once

#include <functional>

namespace stowline::test {

// Keeps the event loop running (so this process can serve its own clipboard and receive replies) until the
// condition holds; false when it did not within the time.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

} // namespace stowline::test
