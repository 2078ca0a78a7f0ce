#include "core/archive/StowlineCipher.h"

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

qsizetype StowlineCipher::readPadding() {
    // The tag that follows the plaintext counts towards the parser's padding.
    return std::max<qsizetype>(0, StowlineArchive::decodePadding() - tagByteCount);
}

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

Result<StowlineArchive, StowlineCipherError> StowlineCipher::open(QByteArray data, QByteArrayView keyData) {
    if (keyData.size() != keyByteCount)
        return fail(StowlineCipherError::invalidKey());
    if (data.size() < overheadByteCount)
        return fail(StowlineCipherError::authenticationFailed());

    const qsizetype fileLength = data.size();
    const qsizetype plainLength = fileLength - overheadByteCount;
    // Detaches a shared buffer once, and adds the padding the parser reads past the plaintext (no reallocation
    // when the caller reserved it).
    data.resize(fileLength + readPadding());
    char* plain = data.data() + nonceByteCount;

    const CipherContext context(EVP_CIPHER_CTX_new());
    unsigned char tag[tagByteCount];
    std::memcpy(tag, plain + plainLength, tagByteCount);
    int finalBytes = 0;
    if (!context ||
        EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytesOf(keyData),
                           reinterpret_cast<const unsigned char*>(data.constData())) != 1 ||
        !transformInPlace(context.get(), EVP_DecryptUpdate, plain, plainLength) ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, int(tagByteCount), tag) != 1 ||
        EVP_DecryptFinal_ex(context.get(), reinterpret_cast<unsigned char*>(plain + plainLength), &finalBytes) != 1)
        return fail(StowlineCipherError::authenticationFailed());

    const qsizetype capacity = data.size() - nonceByteCount;
    std::memset(plain + plainLength, ' ', size_t(capacity - plainLength));
    return StowlineArchive::decodePadded(plain, plainLength, capacity);
}

} // namespace stowline
