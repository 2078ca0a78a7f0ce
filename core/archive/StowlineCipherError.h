#pragma once

#include "core/model/JsonDecodeError.h"

#include <QString>

namespace stowline {

// Why sealing or opening an archive failed. Every failure of opening means the bytes cannot be trusted.
struct StowlineCipherError {
    enum class Kind {
        // The decrypted archive carries a version outside the supported range (`schemaVersion`).
        unsupportedSchema,
        // The key is not exactly 32 bytes.
        invalidKey,
        // Too short, or the tag did not verify: wrong key, damaged or truncated file.
        authenticationFailed,
        // The plaintext is not a valid archive (`decoding`, `itemIndex` of the entry or -1 for the root).
        decodingFailed,
        // The system's secure random generator gave no nonce.
        randomGenerationFailed,
    };

    Kind kind = Kind::authenticationFailed;
    qint64 schemaVersion = 0;
    JsonDecodeError decoding;
    qint64 itemIndex = -1;

    static StowlineCipherError unsupportedSchema(qint64 version) { return {Kind::unsupportedSchema, version, {}, -1}; }
    static StowlineCipherError invalidKey() { return {Kind::invalidKey, 0, {}, -1}; }
    static StowlineCipherError authenticationFailed() { return {Kind::authenticationFailed, 0, {}, -1}; }
    static StowlineCipherError decodingFailed(JsonDecodeError error, qint64 itemIndex) {
        return {Kind::decodingFailed, 0, std::move(error), itemIndex};
    }
    static StowlineCipherError randomGenerationFailed() { return {Kind::randomGenerationFailed, 0, {}, -1}; }

    // One line for command-line messages; the application's own messages come from the store.
    QString describe() const;

    friend bool operator==(const StowlineCipherError&, const StowlineCipherError&) = default;
};

} // namespace stowline
