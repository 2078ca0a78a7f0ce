#include "core/support/SecureMemory.h"

#include <openssl/crypto.h>

namespace stowline::SecureMemory {

void wipe(void* bytes, std::size_t length) {
    if (bytes && length > 0)
        OPENSSL_cleanse(bytes, length);
}

void wipe(QByteArray& bytes) {
    if (!bytes.isEmpty() && bytes.isDetached())
        wipe(bytes.data(), std::size_t(bytes.size()));
    bytes.clear();
}

} // namespace stowline::SecureMemory
