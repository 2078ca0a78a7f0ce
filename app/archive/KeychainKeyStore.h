#pragma once

#include "app/platform/SecretStore.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QString>

namespace stowline {

struct KeychainKeyStoreError {
    enum class Kind {
        // The keyring is locked: the key may exist but cannot be read now.
        locked,
        // No keyring answered.
        unreachable,
        // The keyring answered with an error (`detail`).
        unexpectedStatus,
        randomGenerationFailed,
    };

    Kind kind = Kind::unexpectedStatus;
    QString detail;

    QString describe() const;
};

// The archive key as a secret in the system keyring, one per (service, account).
class KeychainKeyStore {
public:
    static constexpr qsizetype keyByteCount = 32;

    KeychainKeyStore(SecretStore& secrets, QString service, QString account);

    // The stored key unchanged (the cipher rejects a wrong length), or a new one stored first when the keyring
    // is open and holds none. A locked or unreachable keyring is an error, never a reason for a new key.
    Result<QByteArray, KeychainKeyStoreError> loadOrCreate();

    const QString& service() const { return m_service; }
    const QString& account() const { return m_account; }

private:
    SecretStore::Attributes attributes() const;

    SecretStore* m_secrets;
    QString m_service;
    QString m_account;
};

} // namespace stowline
