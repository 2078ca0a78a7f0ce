#pragma once

#include <QByteArray>

#include <cstddef>

namespace stowline::SecureMemory {

// Overwrites memory in a way the compiler cannot drop as a dead store.
void wipe(void* bytes, std::size_t length);

// Overwrites the bytes of `bytes` and empties it. Bytes that another QByteArray still shares are only let go:
// wiping them would change that holder's data, and the last holder wipes them.
void wipe(QByteArray& bytes);

// Wipes a buffer that held a secret when it goes out of scope, on every path.
class WipeOnExit {
public:
    explicit WipeOnExit(QByteArray& bytes) : m_bytes(bytes) {}
    ~WipeOnExit() { wipe(m_bytes); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    QByteArray& m_bytes;
};

} // namespace stowline::SecureMemory
