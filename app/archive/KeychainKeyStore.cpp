#include "app/archive/KeychainKeyStore.h"

#include "core/support/AppIdentity.h"
#include "core/support/SecureMemory.h"
#include "core/support/SecureRandom.h"

namespace stowline {

namespace {

KeychainKeyStoreError fromSecretStore(const SecretStoreError& error) {
    using Kind = KeychainKeyStoreError::Kind;
    switch (error.kind) {
    case SecretStoreError::Kind::locked:
        return {Kind::locked, error.detail};
    case SecretStoreError::Kind::unreachable:
        return {Kind::unreachable, error.detail};
    case SecretStoreError::Kind::failed:
        break;
    }
    return {Kind::unexpectedStatus, error.detail};
}

// 32 raw bytes as older versions stored them, or their Base64 text.
std::optional<QByteArray> decodeKey(const QByteArray& stored) {
    if (stored.size() == KeychainKeyStore::keyByteCount)
        return stored;
    auto decoded = QByteArray::fromBase64Encoding(stored, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != KeychainKeyStore::keyByteCount)
        return std::nullopt;
    return decoded.decoded;
}

} // namespace

QString KeychainKeyStoreError::describe() const {
    switch (kind) {
    case Kind::locked:
        return QStringLiteral("the keyring is locked");
    case Kind::unreachable:
        return QStringLiteral("the keyring cannot be reached: ") + detail;
    case Kind::unexpectedStatus:
        return QStringLiteral("the keyring failed: ") + detail;
    case Kind::randomGenerationFailed:
        return QStringLiteral("the secure random generator failed");
    case Kind::invalidKey:
        return QStringLiteral("the keyring holds an archive key that is not a 32-byte key");
    case Kind::keyChangedInKeyring:
        return QStringLiteral("the keyring did not give back the archive key as it was stored");
    }
    return {};
}

KeychainKeyStore::KeychainKeyStore(SecretStore& secrets, QString service, QString account)
    : m_secrets(&secrets), m_service(std::move(service)), m_account(std::move(account)) {}

SecretStore::Attributes KeychainKeyStore::attributes() const {
    return {{QStringLiteral("service"), m_service}, {QStringLiteral("account"), m_account}};
}

Result<std::optional<QByteArray>, KeychainKeyStoreError> KeychainKeyStore::load() {
    auto found = m_secrets->lookup(attributes());
    if (!found)
        return fail(fromSecretStore(found.error()));
    if (!*found)
        return std::optional<QByteArray>();
    std::optional<QByteArray> key = decodeKey(**found);
    SecureMemory::wipe(**found);
    if (!key)
        return fail(KeychainKeyStoreError{KeychainKeyStoreError::Kind::invalidKey, {}});
    return key;
}

Result<QByteArray, KeychainKeyStoreError> KeychainKeyStore::loadOrCreate() {
    using Kind = KeychainKeyStoreError::Kind;
    auto found = load();
    if (!found)
        return fail(found.error());
    if (*found)
        return **found;

    auto key = SecureRandom::bytes(keyByteCount);
    if (!key)
        return fail(KeychainKeyStoreError{Kind::randomGenerationFailed, {}});
    const QString label = AppIdentity::applicationName() + QStringLiteral(" archive key");
    QByteArray encoded = key->toBase64();
    const SecureMemory::WipeOnExit wipedEncoded(encoded);
    if (auto stored = m_secrets->store(attributes(), label, encoded, QStringLiteral("text/plain")); !stored) {
        SecureMemory::wipe(*key);
        return fail(fromSecretStore(stored.error()));
    }
    // Whatever is sealed with the key must open again: only a key the keyring gives back unchanged is used.
    auto readBack = load();
    const bool unchanged = readBack && *readBack == *key;
    if (readBack && *readBack)
        SecureMemory::wipe(**readBack);
    if (unchanged)
        return *std::move(key);
    SecureMemory::wipe(*key);
    (void)m_secrets->remove(attributes());
    if (!readBack && readBack.error().kind != Kind::invalidKey)
        return fail(readBack.error());
    return fail(KeychainKeyStoreError{Kind::keyChangedInKeyring, {}});
}

} // namespace stowline
