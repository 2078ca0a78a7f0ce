#pragma once

#include <QColor>
#include <QStringView>

#include <optional>

namespace stowline::ColorSwatch {

// The colour a colour clip's text names, in sRGB: "#" stripped from both ends, then 3 hexadecimal digits (one
// per channel), 6 (a pair per channel) or 8 (red, green, blue and opacity). Any other text shows no swatch.
std::optional<QColor> color(QStringView text);

} // namespace stowline::ColorSwatch
