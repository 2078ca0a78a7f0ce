#include "core/archive/StowlineCipher.h"

#include "core/archive/StowlineArchiveDecoder.h"
#include "core/model/ClipJson.h"
#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

QByteArray key(char fill = 'k', qsizetype length = StowlineCipher::keyByteCount) {
    return QByteArray(length, fill);
}

StowlineArchive sampleArchive() {
    StowlineArchive archive;
    archive.items = {test::textClip(u"first"_s, Timestamp{10}), test::fullClip(), test::textClip(u"ünïcødé ✓"_s)};
    return archive;
}

// An independent AES-256-GCM so the tests check the byte layout rather than trust the cipher under test.
QByteArray referenceSeal(const QByteArray& plain, const QByteArray& keyBytes, const QByteArray& nonce) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    QByteArray out = nonce;
    out.resize(nonce.size() + plain.size() + 16);
    auto* cursor = reinterpret_cast<unsigned char*>(out.data()) + nonce.size();
    int written = 0;
    EVP_EncryptInit_ex(context, EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(keyBytes.data()),
                       reinterpret_cast<const unsigned char*>(nonce.data()));
    EVP_EncryptUpdate(context, cursor, &written, reinterpret_cast<const unsigned char*>(plain.data()),
                      int(plain.size()));
    EVP_EncryptFinal_ex(context, cursor + written, &written);
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, 16, cursor + plain.size());
    EVP_CIPHER_CTX_free(context);
    return out;
}

std::optional<QByteArray> referenceOpen(const QByteArray& sealed, const QByteArray& keyBytes) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    const qsizetype plainLength = sealed.size() - 28;
    QByteArray plain(plainLength, Qt::Uninitialized);
    QByteArray tag = sealed.right(16);
    int written = 0;
    EVP_DecryptInit_ex(context, EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(keyBytes.data()),
                       reinterpret_cast<const unsigned char*>(sealed.data()));
    EVP_DecryptUpdate(context, reinterpret_cast<unsigned char*>(plain.data()), &written,
                      reinterpret_cast<const unsigned char*>(sealed.data()) + 12, int(plainLength));
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_SET_TAG, 16, tag.data());
    const bool ok =
        EVP_DecryptFinal_ex(context, reinterpret_cast<unsigned char*>(plain.data()) + written, &written) == 1;
    EVP_CIPHER_CTX_free(context);
    return ok ? std::optional(plain) : std::nullopt;
}

QByteArray sealedJson(const QByteArray& json) {
    return referenceSeal(json, key(), QByteArray(12, 'n'));
}

} // namespace

TEST(StowlineCipher, SealsToNonceCiphertextTagThatAnyGcmOpens) {
    const StowlineArchive archive = sampleArchive();
    const auto sealed = StowlineCipher::seal(archive, key());
    ASSERT_TRUE(sealed.ok());
    const auto plain = referenceOpen(*sealed, key());
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(sealed->size(), plain->size() + 28);
    EXPECT_EQ(*plain, archive.encode());
}

TEST(StowlineCipher, RoundTripsAndEverySealUsesAFreshNonce) {
    const StowlineArchive archive = sampleArchive();
    const auto first = StowlineCipher::seal(archive, key());
    const auto second = StowlineCipher::seal(archive, key());
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE(first->left(12), second->left(12));
    EXPECT_NE(*first, *second);
    for (const QByteArray& sealed : {*first, *second}) {
        const auto opened = StowlineCipher::open(sealed, key());
        ASSERT_TRUE(opened.ok()) << opened.error().describe().toStdString();
        EXPECT_EQ(*opened, archive);
    }
}

TEST(StowlineCipher, KeysOfAnyOtherLengthAreRejectedBothWays) {
    const auto good = StowlineCipher::seal(sampleArchive(), key());
    ASSERT_TRUE(good.ok());
    for (const qsizetype length : {0, 16, 31, 33, 64}) {
        SCOPED_TRACE(length);
        const auto sealed = StowlineCipher::seal(sampleArchive(), key('k', length));
        ASSERT_FALSE(sealed.ok());
        EXPECT_EQ(sealed.error(), StowlineCipherError::invalidKey());
        const auto opened = StowlineCipher::open(*good, key('k', length));
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error(), StowlineCipherError::invalidKey());
    }
}

TEST(StowlineCipher, WrongKeyFailsAuthentication) {
    const auto sealed = StowlineCipher::seal(sampleArchive(), key('a'));
    ASSERT_TRUE(sealed.ok());
    const auto opened = StowlineCipher::open(*sealed, key('b'));
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().kind, StowlineCipherError::Kind::authenticationFailed);
}

TEST(StowlineCipher, FlippingAnyByteFailsWithoutPartialResult) {
    const auto sealed = StowlineCipher::seal(sampleArchive(), key());
    ASSERT_TRUE(sealed.ok());
    // Every byte: the nonce, the whole ciphertext and the tag; also read in pieces, where garbled text is decoded
    // before the tag is checked.
    for (const qsizetype pieceBytes : {0, 64}) {
        StowlineArchiveDecoder::setPieceBytesForTesting(pieceBytes);
        for (qsizetype i = 0; i < sealed->size(); ++i) {
            for (const char mask : {'\x01', '\x80'}) {
                QByteArray damaged = *sealed;
                damaged[i] = char(damaged[i] ^ mask);
                const auto opened = StowlineCipher::open(damaged, key());
                if (opened.ok())
                    ADD_FAILURE() << "opened after flipping byte " << i;
                else
                    EXPECT_EQ(opened.error().kind, StowlineCipherError::Kind::authenticationFailed) << i;
            }
        }
    }
    StowlineArchiveDecoder::setPieceBytesForTesting(0);
}

TEST(StowlineCipher, TruncatedOrExtendedFilesFail) {
    const auto sealed = StowlineCipher::seal(sampleArchive(), key());
    ASSERT_TRUE(sealed.ok());
    for (const qsizetype length : {qsizetype(0), qsizetype(1), qsizetype(12), qsizetype(27), qsizetype(28),
                                   qsizetype(40), sealed->size() - 16, sealed->size() - 1}) {
        SCOPED_TRACE(length);
        const auto opened = StowlineCipher::open(sealed->left(length), key());
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().kind, StowlineCipherError::Kind::authenticationFailed);
    }
    EXPECT_FALSE(StowlineCipher::open(*sealed + QByteArray(1, '\0'), key()).ok());
}

TEST(StowlineCipher, SchemaVersionsOutsideOneAndTwoAreUnsupported) {
    const QByteArray items = "[" + ClipJson::encode(test::textClip(u"kept"_s)) + "]";
    const struct {
        qint64 version;
        bool supported;
    } cases[] = {{0, false}, {1, true}, {2, true}, {3, false}, {-1, false}, {1000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        const QByteArray json = R"({"schemaVersion":)" + QByteArray::number(c.version) + R"(,"items":)" + items + "}";
        const auto opened = StowlineCipher::open(sealedJson(json), key());
        if (c.supported) {
            ASSERT_TRUE(opened.ok()) << opened.error().describe().toStdString();
            EXPECT_EQ(opened->schemaVersion, c.version);
            ASSERT_EQ(opened->items.size(), 1);
            EXPECT_EQ(opened->items.first().title(), u"kept"_s);
        } else {
            ASSERT_FALSE(opened.ok());
            EXPECT_EQ(opened.error(), StowlineCipherError::unsupportedSchema(c.version));
        }
    }
}

TEST(StowlineCipher, UnsupportedVersionAfterTheItemsIsStillReported) {
    const QByteArray json = R"({"items":[],"extra":{"a":[1,2]},"schemaVersion":3})";
    const auto opened = StowlineCipher::open(sealedJson(json), key());
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error(), StowlineCipherError::unsupportedSchema(3));
}

TEST(StowlineCipher, OpensLargeArchivesWithPayloadsIntact) {
    StowlineArchive archive;
    QByteArray image(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < image.size(); ++i)
        image[i] = char(i * 131 % 251);
    const ClipRepresentations representations{{0, TypeIdentifier::png, image}};
    const ClipItem clip({.id = QUuid::createUuid(),
                         .createdAt = Timestamp{5},
                         .kind = ClipKind::image,
                         .title = u"Image"_s,
                         .contentHash = u"hash"_s,
                         .byteCount = image.size(),
                         .representations = representations});
    archive.items = {clip, test::textClip(u"after"_s)};
    const auto sealed = StowlineCipher::seal(archive, key());
    ASSERT_TRUE(sealed.ok());
    const auto opened = StowlineCipher::open(*sealed, key());
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(*opened, archive);
}
