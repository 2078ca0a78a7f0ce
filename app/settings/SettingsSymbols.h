#pragma once

#include <QIcon>
#include <QString>

namespace stowline::SettingsSymbols {

// The desktop theme's icon for a symbol the settings name ("gearshape", "keyboard", …), or a built-in stand-in
// where the theme has none.
QIcon icon(const QString& symbol);

} // namespace stowline::SettingsSymbols
