#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace stowline::SettingsSymbols {

// The symbol the settings name ("gearshape", "keyboard", …) drawn in one colour at the given size: the desktop
// theme's symbolic icon where it has one, otherwise the application's own.
QPixmap pixmap(const QString& symbol, int size, const QColor& color, qreal devicePixelRatio = 1.0);

} // namespace stowline::SettingsSymbols
