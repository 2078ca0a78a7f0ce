#pragma once

#include "core/highlight/TextSyntaxHighlighter.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPalette>

class QScrollBar;

namespace stowline {

// The light/dark appearance actually in effect for the application's windows (the user's preference resolved
// against the desktop's colour scheme).
enum class Appearance { light, dark };

// Every colour the windows paint with. Each role has a light and a dark variant; painting code asks for the
// role and gets the variant of the appearance in effect, so nothing paints a literal colour.
enum class StyleRole {
    // The palette of the windows.
    surface,     // the windows' background
    elevated,    // cards and fields lifted off it
    controlFill, // a control's fill, laid over either
    accent,
    accentSoft,
    faintFill,
    footerFill,
    imageMatte,
    swatchBorder,
    border,
    secondaryText,
    windowBorder, // the edge of a window without the window manager's frame
    // The desktop's semantic colours that the windows use beside the palette.
    label,          // primary text
    secondaryLabel, // comments, quieter text
    tertiaryLabel,  // placeholders, disabled text
    separator,
    systemBlue, // the editor's format badge, keywords
    systemOrange,
    systemTeal,
    systemGreen,
    systemPurple,
    systemRed,
    systemYellow,
    findHighlight, // the background of a find match or a copied range
};

// The application's adaptive palette. Process-wide like the application palette it feeds: the appearance
// coordinator switches it with apply(), everything else only reads. GUI thread only.
class StowlineStyle final : public QObject {
    Q_OBJECT

public:
    // The variant for an explicit appearance.
    static QColor color(StyleRole role, Appearance appearance);
    // The variant for the appearance in effect.
    static QColor color(StyleRole role);
    // The colour a highlighted run of text is drawn in.
    static QColor color(HighlightRole role, Appearance appearance);
    static QColor color(HighlightRole role);
    // A translucent role laid over an opaque one, as an opaque colour (for palette entries that must be opaque).
    static QColor over(StyleRole top, StyleRole bottom, Appearance appearance);

    static Appearance appearance();
    static bool isDark() { return appearance() == Appearance::dark; }

    // The application palette built from the roles, for the Fusion style.
    static QPalette palette(Appearance appearance);
    // The application palette as the platform gave it, before apply() first replaced it.
    static QPalette platformPalette();
    // Switches the appearance in effect: sets the Fusion style (once) and palette(appearance) on the application,
    // which repaints every widget, and emits appearanceChanged when the appearance really changed.
    static void apply(Appearance appearance);

    // Fonts by the sizes the windows are laid out in (logical pixels, the unit of the window sizes), so a
    // 10-unit key cap label is 10 pixels tall on a 96-dpi screen and scales with the screen.
    static QFont font(qreal size, QFont::Weight weight = QFont::Normal);
    static QFont monospacedFont(qreal size, QFont::Weight weight = QFont::Normal);

    // A slim scroll bar (either direction) whose handle stands out of the surface in the appearance in effect, for the
    // lists and text views of the floating windows.
    static QString scrollBarStyleSheet();
    // Gives `bar` that style now and whenever the appearance changes.
    static void styleScrollBar(QScrollBar* bar);

    // Emits appearanceChanged; widgets that cache anything derived from the roles connect here. Widgets that
    // only paint with color() need nothing: the palette switch repaints them.
    static StowlineStyle* notifier();

Q_SIGNALS:
    void appearanceChanged(stowline::Appearance appearance);

private:
    StowlineStyle() = default;
};

} // namespace stowline
