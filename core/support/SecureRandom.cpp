#include "core/support/SecureRandom.h"

#include <openssl/rand.h>

namespace stowline::SecureRandom {

std::optional<QByteArray> bytes(qsizetype count) {
    QByteArray out(count, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), int(count)) != 1)
        return std::nullopt;
    return out;
}

} // namespace stowline::SecureRandom
