#include "app/archive/KeychainKeyStore.h"

#include "core/support/AppIdentity.h"
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
    }
    return {};
}

KeychainKeyStore::KeychainKeyStore(SecretStore& secrets, QString service, QString account)
    : m_secrets(&secrets), m_service(std::move(service)), m_account(std::move(account)) {}

SecretStore::Attributes KeychainKeyStore::attributes() const {
    return {{QStringLiteral("service"), m_service}, {QStringLiteral("account"), m_account}};
}

Result<QByteArray, KeychainKeyStoreError> KeychainKeyStore::loadOrCreate() {
    auto found = m_secrets->lookup(attributes());
    if (!found)
        return fail(fromSecretStore(found.error()));
    if (*found)
        return **found;

    auto key = SecureRandom::bytes(keyByteCount);
    if (!key)
        return fail(KeychainKeyStoreError{KeychainKeyStoreError::Kind::randomGenerationFailed, {}});
    const QString label = AppIdentity::applicationName() + QStringLiteral(" archive key");
    if (auto stored = m_secrets->store(attributes(), label, *key); !stored)
        return fail(fromSecretStore(stored.error()));
    return *key;
}

} // namespace stowline
