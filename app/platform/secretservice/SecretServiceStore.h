#pragma once

#include "app/platform/SecretStore.h"

#include <chrono>

namespace stowline {

// The desktop's Secret Service (gnome-keyring, KWallet) through libsecret. Every call connects afresh, so a
// restarted daemon is picked up, never asks to unlock (with no prompter that would wait forever), and is cut
// off after `timeout`.
class SecretServiceStore final : public SecretStore {
public:
    // `schemaName` is stored with every secret as libsecret's schema attribute and is part of every match.
    explicit SecretServiceStore(QString schemaName, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    Result<std::optional<QByteArray>, SecretStoreError> lookup(const Attributes& attributes) override;
    Status<SecretStoreError> store(const Attributes& attributes, const QString& label, const QByteArray& secret,
                                   const QString& contentType) override;
    Status<SecretStoreError> remove(const Attributes& attributes) override;

private:
    QString m_schemaName;
    std::chrono::milliseconds m_timeout;
};

} // namespace stowline
