#pragma once

#include "core/archive/StowlineArchive.h"
#include "core/archive/StowlineCipherError.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace stowline {

// Turns an archive into the file's bytes and back: compact JSON sealed with AES-256-GCM, stored as
// nonce (12) ‖ ciphertext ‖ tag (16) with no header and no additional authenticated data.
class StowlineCipher {
public:
    static constexpr qsizetype keyByteCount = 32;
    static constexpr qsizetype nonceByteCount = 12;
    static constexpr qsizetype tagByteCount = 16;
    static constexpr qsizetype overheadByteCount = nonceByteCount + tagByteCount;

    // The JSON is written straight after room for the nonce and encrypted where it lies, so a save holds one
    // buffer of about the archive's size.
    static Result<QByteArray, StowlineCipherError> seal(const StowlineArchive& archive, QByteArrayView keyData);
    // The same bytes, handed to `sink` in pieces as they are made (the nonce first, the tag last), so sealing a
    // large history holds one piece at a time. Returns the nonce; fails with `invalidKey` also when `sink` returns
    // false (the caller knows why).
    static Result<QByteArray, StowlineCipherError> sealInPieces(qsizetype count,
                                                                const std::function<const ClipItem&(qsizetype)>& itemAt,
                                                                QByteArrayView keyData,
                                                                const std::function<bool(QByteArrayView)>& sink);

    // Takes the file's `size` bytes in order through `read`, which fills the buffer it is given with exactly the
    // next `bytes` or returns false, and decrypts and decodes them piece by piece, so a large archive is never
    // held whole. Nothing decoded is returned unless the tag verifies. When `read` fails, the result is
    // `authenticationFailed` and the caller knows better why.
    static Result<StowlineArchive, StowlineCipherError>
    open(qint64 size, const std::function<bool(char* into, qint64 bytes)>& read, QByteArrayView keyData);
    static Result<StowlineArchive, StowlineCipherError> open(QByteArrayView data, QByteArrayView keyData);
};

} // namespace stowline
