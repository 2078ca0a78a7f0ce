#pragma once

#include <QColor>
#include <QPalette>

namespace stowline::SettingsColors {

// Colours the settings window paints with, resolved for the palette in effect.
inline bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}
inline QColor invalidOutline(const QPalette& palette) {
    return isDark(palette) ? QColor(0xFF, 0x45, 0x3A) : QColor(0xFF, 0x3B, 0x30);
}
inline QColor secondaryText(const QPalette& palette) {
    return palette.color(QPalette::PlaceholderText);
}
inline QColor sectionFill(const QPalette& palette) {
    return palette.color(QPalette::Base);
}
inline QColor border(const QPalette& palette) {
    return palette.color(QPalette::Mid);
}

} // namespace stowline::SettingsColors
