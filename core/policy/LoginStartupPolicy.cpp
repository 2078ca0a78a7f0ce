#include "core/policy/LoginStartupPolicy.h"

using namespace Qt::StringLiterals;

namespace stowline::LoginStartupPolicy {

QStringList programArguments(const QString& executablePath) {
    return {executablePath, u"--background"_s};
}

bool initialEnabled(std::optional<bool> storedChoice, bool hasExplicitChoice, qint64 existingSchema) {
    if (!storedChoice || *storedChoice)
        return true;
    // An "off" written by an older version without the user's say is not a choice.
    return existingSchema < preferenceSchema && !hasExplicitChoice;
}

} // namespace stowline::LoginStartupPolicy
