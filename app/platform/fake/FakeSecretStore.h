#pragma once

#include "app/platform/SecretStore.h"

#include <QList>

#include <optional>

namespace stowline {

// An in-memory secret store for tests; `failWith` makes every call fail as a locked or unreachable keyring
// would, while keeping what it holds.
class FakeSecretStore final : public SecretStore {
public:
    Result<std::optional<QByteArray>, SecretStoreError> lookup(const Attributes& attributes) override {
        if (failWith)
            return fail(*failWith);
        for (const auto& [stored, secret] : std::as_const(secrets)) {
            if (stored == attributes)
                return std::optional(secret);
        }
        return std::optional<QByteArray>();
    }

    Status<SecretStoreError> store(const Attributes& attributes, const QString&, const QByteArray& secret) override {
        if (failWith)
            return fail(*failWith);
        removeMatching(attributes);
        secrets.append({attributes, secret});
        return Unit{};
    }

    Status<SecretStoreError> remove(const Attributes& attributes) override {
        if (failWith)
            return fail(*failWith);
        removeMatching(attributes);
        return Unit{};
    }

    QList<std::pair<Attributes, QByteArray>> secrets;
    std::optional<SecretStoreError> failWith;

private:
    void removeMatching(const Attributes& attributes) {
        secrets.removeIf([&attributes](const auto& entry) { return entry.first == attributes; });
    }
};

} // namespace stowline
