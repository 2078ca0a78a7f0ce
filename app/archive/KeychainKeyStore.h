#pragma once

#include "app/platform/SecretStore.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QString>

#include <optional>

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
        // The keyring holds something that is neither 32 raw bytes nor their Base64 text.
        invalidKey,
        // A new key read back from the keyring differed from what was stored; nothing was sealed with it.
        keyChangedInKeyring,
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

    // The stored key, or a new one stored first when the keyring is open and holds none. A new key is stored as
    // Base64 text (some keyrings keep only text) and read back before it is returned; 32 raw bytes, the older
    // form, are read too. A locked or unreachable keyring, or a stored key of another form, is an error, never a
    // reason for a new key.
    Result<QByteArray, KeychainKeyStoreError> loadOrCreate();

    const QString& service() const { return m_service; }
    const QString& account() const { return m_account; }

private:
    SecretStore::Attributes attributes() const;
    // The stored key in either form, or nothing when the keyring holds none.
    Result<std::optional<QByteArray>, KeychainKeyStoreError> load();

    SecretStore* m_secrets;
    QString m_service;
    QString m_account;
};

} // namespace stowline
