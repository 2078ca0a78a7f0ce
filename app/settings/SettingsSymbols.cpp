#include "app/settings/SettingsSymbols.h"

#include <QIcon>
#include <QPainter>

#include <array>

namespace stowline::SettingsSymbols {

namespace {

struct Symbol {
    const char16_t* name;
    const char16_t* themeIcon;
};

constexpr std::array<Symbol, 5> symbols{{
    {u"gearshape", u"preferences-system-symbolic"},
    {u"clock.arrow.circlepath", u"document-open-recent-symbolic"},
    {u"hand.raised", u"security-high-symbolic"},
    {u"keyboard", u"input-keyboard-symbolic"},
    {u"list.bullet.rectangle", u"view-list-symbolic"},
}};

QIcon icon(const QString& symbol) {
    for (const Symbol& s : symbols) {
        if (symbol == QStringView(s.name)) {
            return QIcon::fromTheme(QString::fromUtf16(s.themeIcon),
                                    QIcon(QStringLiteral(":/settings/symbols/") + symbol + QStringLiteral(".svg")));
        }
    }
    return {};
}

} // namespace

QPixmap pixmap(const QString& symbol, int size, const QColor& color, qreal devicePixelRatio) {
    QPixmap result = icon(symbol).pixmap(QSize(size, size), devicePixelRatio);
    if (result.isNull())
        return result;
    // Symbolic icons are shapes; the colour comes from the palette in effect.
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), result.size()), color);
    return result;
}

} // namespace stowline::SettingsSymbols
