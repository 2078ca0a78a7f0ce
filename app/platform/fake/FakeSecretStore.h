#pragma once

#include "app/platform/SecretStore.h"

#include <QList>

#include <functional>
#include <optional>

namespace stowline {

// An in-memory secret store for tests; `failWith` makes every call fail as a locked or unreachable keyring
// would, while keeping what it holds. `keepsAs` changes what is stored (see `textOnly`), and `beforeEachCall`
// runs first in every call (on the caller's thread), so a test can hold a call until it lets it go.
class FakeSecretStore final : public SecretStore {
public:
    // What providers that keep only text make of a secret: every byte from 0x80 up becomes U+FFFD.
    static QByteArray textOnly(const QByteArray& secret) {
        QByteArray text;
        for (const char byte : secret)
            text += static_cast<unsigned char>(byte) < 0x80 ? QByteArray(1, byte) : QByteArray("\xEF\xBF\xBD");
        return text;
    }

    Result<std::optional<QByteArray>, SecretStoreError> lookup(const Attributes& attributes) override {
        if (beforeEachCall)
            beforeEachCall();
        if (failWith)
            return fail(*failWith);
        for (const auto& [stored, secret] : std::as_const(secrets)) {
            if (stored == attributes)
                return std::optional(secret);
        }
        return std::optional<QByteArray>();
    }

    Status<SecretStoreError> store(const Attributes& attributes, const QString&, const QByteArray& secret,
                                   const QString& contentType) override {
        if (beforeEachCall)
            beforeEachCall();
        if (failWith)
            return fail(*failWith);
        removeMatching(attributes);
        secrets.append({attributes, keepsAs ? keepsAs(secret) : secret});
        lastContentType = contentType;
        return Unit{};
    }

    Status<SecretStoreError> remove(const Attributes& attributes) override {
        if (beforeEachCall)
            beforeEachCall();
        if (failWith)
            return fail(*failWith);
        removeMatching(attributes);
        return Unit{};
    }

    QList<std::pair<Attributes, QByteArray>> secrets;
    std::optional<SecretStoreError> failWith;
    std::function<QByteArray(const QByteArray&)> keepsAs;
    std::function<void()> beforeEachCall;
    QString lastContentType;

private:
    void removeMatching(const Attributes& attributes) {
        secrets.removeIf([&attributes](const auto& entry) { return entry.first == attributes; });
    }
};

} // namespace stowline
