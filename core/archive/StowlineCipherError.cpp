#include "core/archive/StowlineCipherError.h"

namespace stowline {

QString StowlineCipherError::describe() const {
    switch (kind) {
    case Kind::unsupportedSchema:
        return QStringLiteral("unsupported archive schema version %1").arg(schemaVersion);
    case Kind::invalidKey:
        return QStringLiteral("the archive key is not 32 bytes long");
    case Kind::authenticationFailed:
        return QStringLiteral("the archive cannot be decrypted (wrong key or damaged file)");
    case Kind::decodingFailed:
        if (itemIndex >= 0)
            return QStringLiteral("entry %1: %2").arg(itemIndex).arg(decoding.describe());
        return decoding.describe();
    case Kind::randomGenerationFailed:
        return QStringLiteral("the secure random generator failed");
    }
    return {};
}

} // namespace stowline
