#pragma once

#include "core/support/Result.h"

#include <QString>
#include <QStringList>

namespace stowline {

struct LoginItemError {
    enum class Step { encode, createFolder, write, setPermissions, remove };
    Step step;
    QString path;
};

// The per-user entry that starts the application when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    virtual QString location() const = 0;
    virtual bool exists() const = 0;
    // Writes the entry (replacing an earlier one) so that login runs these arguments, the program first.
    [[nodiscard]] virtual Status<LoginItemError> install(const QStringList& programArguments) = 0;
    // Succeeds, touching nothing, when there is no entry.
    [[nodiscard]] virtual Status<LoginItemError> remove() = 0;
};

} // namespace stowline
