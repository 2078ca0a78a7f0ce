#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace stowline::LoginStartupPolicy {

// From this preference schema on, a stored "off" is the user's and is no longer switched on by default.
inline constexpr int preferenceSchema = 4;

// What the autostart entry runs: the executable, started without showing the history panel.
QStringList programArguments(const QString& executablePath);

bool initialEnabled(std::optional<bool> storedChoice, bool hasExplicitChoice, qint64 existingSchema);

} // namespace stowline::LoginStartupPolicy
