#pragma once

#include <QString>

namespace stowline::AppIdentity {

// Fixed at build time; the data folder, queue labels, keyring item and autostart entry are named after it.
inline QString applicationIdentifier() {
    return QStringLiteral("org.stowline.Stowline");
}
inline QString applicationName() {
    return QStringLiteral("Stowline");
}
inline QString executableName() {
    return QStringLiteral("stowline");
}
inline QString version() {
    return QStringLiteral(STOWLINE_VERSION);
}

} // namespace stowline::AppIdentity
