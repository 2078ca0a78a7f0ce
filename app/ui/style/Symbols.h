#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace stowline {

// The symbols the windows show, each under the name the desktop's icon theme gives it; where the theme has none
// (or there is no theme), a drawing of our own in the colour asked for.
enum class Symbol {
    clipboard,           // the panel's mark
    magnifyingGlass,     // search
    clearSearch,         // a cross in a filled circle
    settings,            // a gear
    warning,             // a triangle with an exclamation mark
    paused,              // pause bars in a filled circle
    emptyClipboard,      // two sheets
    text,                // left-aligned lines
    link,                // chain links
    photo,               // a landscape
    document,            // a filled sheet
    richText,            // a letter with style
    star,                // an outlined star
    starFilled,          // a filled star
    trash,               // a bin
    textViewfinder,      // text in a frame
    textMagnifyingGlass, // text under a lens
    recording,           // a filled dot
    // The settings window's symbols: the theme's symbolic icons, or pictures of our own, tinted (see `tinted`).
    generalPane,   // a gear
    historyPane,   // a clock with a turning arrow
    privacyPane,   // a raised hand
    shortcutsPane, // a keyboard
    clipCount,     // a list in a frame
    // The readiness window's marks, in the theme's colours or our own pictures' (see `statusMark`).
    ready,    // a tick in a circle
    notReady, // a warning triangle
};

namespace Symbols {

// The desktop icon theme's name for the symbol.
QString themeName(Symbol symbol);
// Paints the symbol fitted into `rect`.
void paint(QPainter& painter, Symbol symbol, const QRectF& rect, const QColor& color);
// The symbol as an icon at `size` pixels, for buttons.
QIcon icon(Symbol symbol, const QColor& color, int size = 16);
// The symbol in one colour at `size` pixels, for the settings window's symbols: symbolic icons are shapes, and the
// colour comes from the palette in effect.
QPixmap tinted(Symbol symbol, int size, const QColor& color, qreal devicePixelRatio = 1.0);
// Whether something works, as the theme's coloured mark when it has one and our own otherwise.
QPixmap statusMark(bool working, int size, qreal devicePixelRatio = 1.0);

} // namespace Symbols

} // namespace stowline
