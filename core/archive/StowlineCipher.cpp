#include "core/archive/StowlineCipher.h"

#include "core/archive/StowlineArchiveDecoder.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace stowline {

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

// EVP lengths are ints; large archives go through in slices.
constexpr qsizetype sliceBytes = qsizetype(1) << 30;

using Transform = int (*)(EVP_CIPHER_CTX*, unsigned char*, int*, const unsigned char*, int);

bool transformInPlace(EVP_CIPHER_CTX* context, Transform update, char* bytes, qsizetype length) {
    auto* cursor = reinterpret_cast<unsigned char*>(bytes);
    for (qsizetype done = 0; done < length;) {
        const int slice = int(std::min(sliceBytes, length - done));
        int written = 0;
        if (update(context, cursor + done, &written, cursor + done, slice) != 1 || written != slice)
            return false;
        done += slice;
    }
    return true;
}

const unsigned char* bytesOf(QByteArrayView view) {
    return reinterpret_cast<const unsigned char*>(view.data());
}

} // namespace

Result<QByteArray, StowlineCipherError> StowlineCipher::seal(const StowlineArchive& archive, QByteArrayView keyData) {
    if (keyData.size() != keyByteCount)
        return fail(StowlineCipherError::invalidKey());

    JsonWriter writer(archive.encodedSizeHint() + overheadByteCount);
    writer.mutableBuffer().resize(nonceByteCount);
    archive.write(writer);
    QByteArray sealed = writer.take();
    const qsizetype plainLength = sealed.size() - nonceByteCount;

    auto* nonce = reinterpret_cast<unsigned char*>(sealed.data());
    if (RAND_bytes(nonce, int(nonceByteCount)) != 1)
        return fail(StowlineCipherError::randomGenerationFailed());

    const CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData), nonce) != 1 ||
        !transformInPlace(context.get(), EVP_EncryptUpdate, sealed.data() + nonceByteCount, plainLength))
        return fail(StowlineCipherError::invalidKey());
    int finalBytes = 0;
    unsigned char tag[tagByteCount];
    if (EVP_EncryptFinal_ex(context.get(), tag, &finalBytes) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(tagByteCount), tag) != 1)
        return fail(StowlineCipherError::invalidKey());
    sealed.append(reinterpret_cast<const char*>(tag), tagByteCount);
    return sealed;
}

Result<QByteArray, StowlineCipherError>
StowlineCipher::sealInPieces(qsizetype count, const std::function<const ClipItem&(qsizetype)>& itemAt,
                             QByteArrayView keyData, const std::function<bool(QByteArrayView)>& sink) {
    if (keyData.size() != keyByteCount)
        return fail(StowlineCipherError::invalidKey());
    QByteArray nonce(nonceByteCount, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(nonce.data()), int(nonceByteCount)) != 1)
        return fail(StowlineCipherError::randomGenerationFailed());
    const CipherContext context(EVP_CIPHER_CTX_new());
    if (!context ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData), bytesOf(nonce)) != 1 ||
        !sink(nonce))
        return fail(StowlineCipherError::invalidKey());

    // A piece is a few megabytes: large enough that the sink's calls cost nothing, small beside any history.
    constexpr qsizetype pieceBytes = 4 * 1024 * 1024;
    JsonWriter writer(pieceBytes + pieceBytes / 4);
    const auto drain = [&](QByteArray& piece) {
        const bool sealed =
            transformInPlace(context.get(), EVP_EncryptUpdate, piece.data(), piece.size()) && sink(piece);
        piece.resize(0);
        return sealed;
    };
    if (!StowlineArchive::write(writer, count, itemAt, pieceBytes, drain))
        return fail(StowlineCipherError::invalidKey());
    int finalBytes = 0;
    unsigned char tag[tagByteCount];
    if (EVP_EncryptFinal_ex(context.get(), tag, &finalBytes) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(tagByteCount), tag) != 1 ||
        !sink(QByteArrayView(reinterpret_cast<const char*>(tag), tagByteCount)))
        return fail(StowlineCipherError::invalidKey());
    return nonce;
}

Result<StowlineArchive, StowlineCipherError>
StowlineCipher::open(qint64 size, const std::function<bool(char*, qint64)>& read, QByteArrayView keyData) {
    if (keyData.size() != keyByteCount)
        return fail(StowlineCipherError::invalidKey());
    if (size < overheadByteCount)
        return fail(StowlineCipherError::authenticationFailed());
    unsigned char nonce[nonceByteCount];
    const CipherContext context(EVP_CIPHER_CTX_new());
    if (!read(reinterpret_cast<char*>(nonce), nonceByteCount) || !context ||
        EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData), nonce) != 1)
        return fail(StowlineCipherError::authenticationFailed());

    // Decoding starts before the tag is checked, on a text that may be forged: the decoder takes any input
    // safely, and what it made is dropped unless the tag verifies.
    StowlineArchiveDecoder decoder;
    const qsizetype pieceBytes = qsizetype(std::min<qint64>(StowlineArchiveDecoder::pieceBytes(), size));
    QByteArray piece(pieceBytes, Qt::Uninitialized);
    for (qint64 left = size - overheadByteCount; left > 0;) {
        const qsizetype bytes = qsizetype(std::min<qint64>(pieceBytes, left));
        int written = 0;
        if (!read(piece.data(), bytes) ||
            EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(decoder.space(bytes)), &written,
                              bytesOf(piece), int(bytes)) != 1 ||
            written != bytes)
            return fail(StowlineCipherError::authenticationFailed());
        decoder.commit(bytes);
        left -= bytes;
    }
    unsigned char tag[tagByteCount];
    int finalBytes = 0;
    if (!read(reinterpret_cast<char*>(tag), tagByteCount) ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, int(tagByteCount), tag) != 1 ||
        EVP_DecryptFinal_ex(context.get(), tag, &finalBytes) != 1)
        return fail(StowlineCipherError::authenticationFailed());
    return decoder.finish();
}

Result<StowlineArchive, StowlineCipherError> StowlineCipher::open(QByteArrayView data, QByteArrayView keyData) {
    qint64 at = 0;
    return open(
        data.size(),
        [&](char* into, qint64 bytes) {
            std::memcpy(into, data.data() + at, size_t(bytes));
            at += bytes;
            return true;
        },
        keyData);
}

} // namespace stowline
