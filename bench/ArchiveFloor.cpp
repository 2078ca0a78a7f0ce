#include "bench/ArchiveFloor.h"

#include "app/archive/ArchiveFiles.h"
#include "bench/BenchRegistry.h"
#include "core/support/SecureRandom.h"

#include <QFile>

#include <openssl/evp.h>

#include <algorithm>

namespace stowline::bench {

namespace {

bool gcmInPlace(bool encrypt, const QByteArray& key, QByteArray& bytes) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    const unsigned char nonce[12] = {};
    unsigned char tag[16] = {};
    int written = 0;
    bool ok = EVP_CipherInit_ex(context, EVP_aes_256_gcm(), nullptr, k, nonce, encrypt ? 1 : 0) == 1;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const int slice = int(std::min<qsizetype>(qsizetype(1) << 30, bytes.size() - done));
        ok = EVP_CipherUpdate(context, data + done, &written, data + done, slice) == 1;
        done += slice;
    }
    // Only the work matters for the floor; the tag is not checked.
    if (ok && encrypt)
        ok = EVP_CipherFinal_ex(context, tag, &written) == 1;
    EVP_CIPHER_CTX_free(context);
    return ok;
}

} // namespace

double archiveFloorSeconds(int repeats, qint64 bytes, const QString& folder) {
    const QByteArray key = *SecureRandom::bytes(32);
    const QString path = folder + QStringLiteral("/floor.bin");
    QByteArray data(bytes, 'x');
    const double seconds = medianSeconds(repeats, [&] {
        data.detach();
        if (!gcmInPlace(true, key, data) || !ArchiveFiles::replaceAtomically(path, data).ok())
            qFatal("floor write failed");
        auto read = ArchiveFiles::readAll(path);
        if (!read.ok() || !gcmInPlace(false, key, *read))
            qFatal("floor read failed");
    });
    QFile::remove(path);
    return seconds;
}

} // namespace stowline::bench
