#include "app/ui/style/StowlineStyle.h"

#include <QScrollBar>

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>
#include <QStyleFactory>

namespace stowline {

using namespace Qt::StringLiterals;

namespace {

Appearance g_appearance = Appearance::light;

QColor rgb(qreal red, qreal green, qreal blue, qreal alpha = 1) {
    return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
}
QColor black(qreal alpha) {
    return rgb(0, 0, 0, alpha);
}
QColor white(qreal alpha) {
    return rgb(1, 1, 1, alpha);
}
QColor bytes(int red, int green, int blue, qreal alpha = 1) {
    QColor color(red, green, blue);
    color.setAlphaF(float(alpha));
    return color;
}

struct Variants {
    QColor light;
    QColor dark;
};

Variants variants(StyleRole role) {
    switch (role) {
    case StyleRole::surface:
        return {rgb(0.955, 0.97, 0.985), rgb(0.055, 0.082, 0.115)};
    case StyleRole::elevated:
        return {rgb(0.99, 0.995, 1.0), rgb(0.085, 0.125, 0.165)};
    case StyleRole::controlFill:
        return {black(0.045), white(0.055)};
    case StyleRole::accent:
        return {rgb(0.16, 0.43, 0.75), rgb(0.2, 0.48, 0.78)};
    case StyleRole::accentSoft:
        return {rgb(0.1, 0.36, 0.64), rgb(0.42, 0.68, 0.92)};
    case StyleRole::faintFill:
        return {black(0.025), white(0.035)};
    case StyleRole::footerFill:
        return {black(0.035), black(0.12)};
    case StyleRole::imageMatte:
        return {black(0.055), black(0.14)};
    case StyleRole::swatchBorder:
        return {black(0.16), white(0.20)};
    case StyleRole::border:
        return {rgb(0.18, 0.35, 0.5, 0.2), rgb(0.28, 0.48, 0.66, 0.24)};
    case StyleRole::windowBorder:
        return {rgb(0.18, 0.3, 0.42, 0.42), rgb(0.55, 0.68, 0.8, 0.34)};
    case StyleRole::secondaryText:
        return {rgb(0.28, 0.36, 0.44), rgb(0.7, 0.78, 0.85)};
    case StyleRole::label:
        return {black(0.85), white(0.87)};
    case StyleRole::secondaryLabel:
        return {black(0.52), white(0.56)};
    case StyleRole::tertiaryLabel:
        return {black(0.32), white(0.30)};
    case StyleRole::separator:
        return {black(0.10), white(0.10)};
    // The light variants are darker than the desktop's usual bright hues so coloured code stays readable on the
    // pale surface.
    case StyleRole::systemBlue:
        return {bytes(0, 98, 214), bytes(64, 156, 255)};
    case StyleRole::systemOrange:
        return {bytes(190, 92, 0), bytes(255, 159, 10)};
    case StyleRole::systemTeal:
        return {bytes(0, 125, 145), bytes(90, 200, 224)};
    case StyleRole::systemGreen:
        return {bytes(28, 128, 50), bytes(50, 215, 75)};
    case StyleRole::systemPurple:
        return {bytes(137, 62, 190), bytes(191, 90, 242)};
    case StyleRole::systemRed:
        return {bytes(215, 40, 35), bytes(255, 69, 58)};
    case StyleRole::systemYellow:
        return {bytes(230, 170, 0), bytes(255, 214, 10)};
    case StyleRole::findHighlight:
        return {bytes(255, 204, 0, 0.55), bytes(255, 214, 10, 0.38)};
    }
    return {black(1), white(1)};
}

StyleRole roleOf(HighlightRole role) {
    switch (role) {
    case HighlightRole::number:
        return StyleRole::systemOrange;
    case HighlightRole::keyword:
    case HighlightRole::strongEmphasis:
        return StyleRole::systemBlue;
    case HighlightRole::key:
        return StyleRole::systemTeal;
    case HighlightRole::string:
        return StyleRole::systemGreen;
    case HighlightRole::comment:
        return StyleRole::secondaryLabel;
    case HighlightRole::markdownMarker:
        return StyleRole::systemPurple;
    }
    return StyleRole::label;
}

QColor blend(const QColor& top, const QColor& bottom) {
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a), top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a), 1.0f);
}

} // namespace

QColor StowlineStyle::color(StyleRole role, Appearance appearance) {
    const Variants v = variants(role);
    return appearance == Appearance::dark ? v.dark : v.light;
}

QColor StowlineStyle::color(StyleRole role) {
    return color(role, g_appearance);
}

QColor StowlineStyle::color(HighlightRole role, Appearance appearance) {
    return color(roleOf(role), appearance);
}

QColor StowlineStyle::color(HighlightRole role) {
    return color(role, g_appearance);
}

QColor StowlineStyle::over(StyleRole top, StyleRole bottom, Appearance appearance) {
    return blend(color(top, appearance), color(bottom, appearance));
}

Appearance StowlineStyle::appearance() {
    return g_appearance;
}

QPalette StowlineStyle::palette(Appearance appearance) {
    const auto c = [appearance](StyleRole role) { return color(role, appearance); };
    const auto on = [appearance](StyleRole top, StyleRole bottom) { return over(top, bottom, appearance); };
    const QColor window = c(StyleRole::surface);
    const QColor text = on(StyleRole::label, StyleRole::surface);
    const QColor button = on(StyleRole::controlFill, StyleRole::elevated);

    QPalette p(text, button, button.lighter(115), button.darker(130), button.darker(115), text,
               appearance == Appearance::dark ? QColor(Qt::white) : QColor(Qt::black), c(StyleRole::elevated), window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::AlternateBase, on(StyleRole::faintFill, StyleRole::elevated));
    p.setColor(QPalette::ToolTipBase, c(StyleRole::elevated));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, on(StyleRole::tertiaryLabel, StyleRole::elevated));
    p.setColor(QPalette::Highlight, c(StyleRole::accent));
    p.setColor(QPalette::HighlightedText, QColor(Qt::white));
    p.setColor(QPalette::Link, c(StyleRole::accentSoft));
    p.setColor(QPalette::LinkVisited, c(StyleRole::accentSoft));

    const QColor disabledText = on(StyleRole::tertiaryLabel, StyleRole::surface);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Highlight, on(StyleRole::secondaryLabel, StyleRole::surface));
    return p;
}

QPalette StowlineStyle::platformPalette() {
    static const QPalette platform = qApp ? QGuiApplication::palette() : QPalette();
    return platform;
}

void StowlineStyle::apply(Appearance appearance) {
    const bool changed = appearance != g_appearance;
    g_appearance = appearance;
    if (qApp) {
        platformPalette();
        if (QApplication::style()->name().compare(u"fusion"_s, Qt::CaseInsensitive) != 0)
            QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        QApplication::setPalette(palette(appearance));
    }
    if (changed)
        Q_EMIT notifier()->appearanceChanged(appearance);
}

QFont StowlineStyle::font(qreal size, QFont::Weight weight) {
    QFont font = QApplication::font();
    // 72 points per inch at Qt's 96 logical dots per inch: one layout unit is three quarters of a point.
    font.setPointSizeF(size * 0.75);
    font.setWeight(weight);
    return font;
}

QFont StowlineStyle::monospacedFont(qreal size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(size * 0.75);
    font.setWeight(weight);
    return font;
}

QString StowlineStyle::scrollBarStyleSheet() {
    QColor handle = color(StyleRole::secondaryText);
    handle.setAlphaF(0.45f);
    QColor hovered = handle;
    hovered.setAlphaF(0.7f);
    return QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 1px; }"
                          "QScrollBar::handle:vertical { background: %1; border-radius: 4px; min-height: 32px; }"
                          "QScrollBar::handle:vertical:hover { background: %2; }"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
                          "QScrollBar:horizontal { background: transparent; height: 10px; margin: 1px 2px; }"
                          "QScrollBar::handle:horizontal { background: %1; border-radius: 4px; min-width: 32px; }"
                          "QScrollBar::handle:horizontal:hover { background: %2; }"
                          "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
                          "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }")
        .arg(handle.name(QColor::HexArgb), hovered.name(QColor::HexArgb));
}

void StowlineStyle::styleScrollBar(QScrollBar* bar) {
    const auto apply = [bar] { bar->setStyleSheet(scrollBarStyleSheet()); };
    apply();
    connect(notifier(), &StowlineStyle::appearanceChanged, bar, apply);
}

StowlineStyle* StowlineStyle::notifier() {
    static StowlineStyle* instance = new StowlineStyle;
    return instance;
}

} // namespace stowline
