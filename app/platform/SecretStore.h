#pragma once

#include "core/support/Result.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace stowline {

// Why the secret store could not answer. A locked store is told apart from a missing secret: treating it as
// "absent" would make callers create a replacement and lose what the locked secret protects.
struct SecretStoreError {
    enum class Kind {
        // The collection that holds (or would hold) the secret is locked.
        locked,
        // No secret service answered in time, or the connection failed.
        unreachable,
        // The service answered with an error.
        failed,
    };

    Kind kind = Kind::failed;
    QString detail;
};

// One secret per set of attributes, kept by the desktop's secret service.
class SecretStore {
public:
    using Attributes = QMap<QString, QString>;

    virtual ~SecretStore() = default;

    // The secret, or nothing when the store is reachable, unlocked and holds no such secret.
    [[nodiscard]] virtual Result<std::optional<QByteArray>, SecretStoreError> lookup(const Attributes& attributes) = 0;
    // Stores or replaces the secret, labelled with its MIME type ("text/plain" survives every provider; some
    // keep only text and replace bytes that are no UTF-8).
    [[nodiscard]] virtual Status<SecretStoreError> store(const Attributes& attributes, const QString& label,
                                                         const QByteArray& secret, const QString& contentType) = 0;
    // Deletes every matching secret; deleting nothing is success.
    [[nodiscard]] virtual Status<SecretStoreError> remove(const Attributes& attributes) = 0;
};

} // namespace stowline
