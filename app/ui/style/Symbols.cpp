#include "app/ui/style/Symbols.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include <cmath>

namespace stowline::Symbols {

namespace {

QPainterPath starPath(double cx, double cy, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void textLines(QPainter& p, double left, double top, const std::initializer_list<double>& widths) {
    double y = top;
    for (double width : widths) {
        p.drawLine(QPointF(left, y), QPointF(left + width, y));
        y += 4;
    }
}

// Draws on a 24 × 24 canvas with a 2-unit pen and the colour as brush where a shape is filled.
void draw(QPainter& p, Symbol symbol, const QColor& color) {
    QPen pen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (symbol) {
    case Symbol::clipboard:
        p.setBrush(color);
        p.drawRoundedRect(QRectF(5, 4, 14, 18), 2.5, 2.5);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        textLines(p, 8.5, 11, {7, 7, 5});
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setBrush(color);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(8.5, 2, 7, 4), 1.5, 1.5);
        return;
    case Symbol::magnifyingGlass:
        p.drawEllipse(QPointF(10.5, 10.5), 6, 6);
        p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
        return;
    case Symbol::clearSearch:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(pen);
        p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
        p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    case Symbol::settings: {
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            const double angle = i * M_PI / 4;
            const QPointF centre(12 + 8 * std::cos(angle), 12 + 8 * std::sin(angle));
            gear.addEllipse(centre, 2.4, 2.4);
        }
        gear.addEllipse(QPointF(12, 12), 7.5, 7.5);
        gear.setFillRule(Qt::WindingFill);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(gear.simplified());
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawEllipse(QPointF(12, 12), 3, 3);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    case Symbol::warning: {
        QPainterPath triangle;
        triangle.moveTo(12, 3);
        triangle.lineTo(22, 20.5);
        triangle.lineTo(2, 20.5);
        triangle.closeSubpath();
        p.setBrush(color);
        p.drawPath(triangle);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawLine(QPointF(12, 9), QPointF(12, 14));
        p.drawPoint(QPointF(12, 17.5));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    case Symbol::paused:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.drawRoundedRect(QRectF(8.5, 7.5, 2.5, 9), 1, 1);
        p.drawRoundedRect(QRectF(13, 7.5, 2.5, 9), 1, 1);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    case Symbol::emptyClipboard:
        p.drawRoundedRect(QRectF(8, 3, 12, 15), 2, 2);
        p.drawPolyline(QPolygonF({QPointF(5, 7), QPointF(4, 7), QPointF(4, 21), QPointF(15, 21), QPointF(15, 20)}));
        return;
    case Symbol::text:
        textLines(p, 4, 6, {16, 11, 16, 9});
        return;
    case Symbol::link:
        p.save();
        p.translate(12, 12);
        p.rotate(-45);
        p.drawRoundedRect(QRectF(-10, -3.5, 10, 7), 3.5, 3.5);
        p.drawRoundedRect(QRectF(0, -3.5, 10, 7), 3.5, 3.5);
        p.restore();
        return;
    case Symbol::photo:
        p.drawRoundedRect(QRectF(3, 5, 18, 14), 2.5, 2.5);
        p.drawPolyline(QPolygonF({QPointF(4, 17), QPointF(9, 12), QPointF(13, 16), QPointF(16, 13), QPointF(20, 17)}));
        p.drawEllipse(QPointF(15.5, 9), 1.2, 1.2);
        return;
    case Symbol::document: {
        QPainterPath sheet;
        sheet.moveTo(6, 3);
        sheet.lineTo(14, 3);
        sheet.lineTo(19, 8);
        sheet.lineTo(19, 21);
        sheet.lineTo(6, 21);
        sheet.closeSubpath();
        p.setBrush(color);
        p.drawPath(sheet);
        return;
    }
    case Symbol::richText:
        p.drawLine(QPointF(4, 20), QPointF(9.5, 5));
        p.drawLine(QPointF(9.5, 5), QPointF(15, 20));
        p.drawLine(QPointF(6, 14.5), QPointF(13, 14.5));
        p.drawLine(QPointF(17, 10), QPointF(21, 10));
        p.drawLine(QPointF(19, 8), QPointF(19, 20));
        return;
    case Symbol::star:
        p.drawPath(starPath(12, 12.8, 9.5, 4.2));
        return;
    case Symbol::starFilled:
        p.setBrush(color);
        p.drawPath(starPath(12, 12.8, 9.5, 4.2));
        return;
    case Symbol::trash:
        p.drawLine(QPointF(4, 6.5), QPointF(20, 6.5));
        p.drawPolyline(QPolygonF({QPointF(9, 6), QPointF(9.5, 3.5), QPointF(14.5, 3.5), QPointF(15, 6)}));
        p.drawPolyline(QPolygonF({QPointF(6, 7), QPointF(7, 21), QPointF(17, 21), QPointF(18, 7)}));
        p.drawLine(QPointF(10, 10.5), QPointF(10, 17.5));
        p.drawLine(QPointF(14, 10.5), QPointF(14, 17.5));
        return;
    case Symbol::textViewfinder:
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(3, 3), QPointF(8, 3)}));
        p.drawPolyline(QPolygonF({QPointF(16, 3), QPointF(21, 3), QPointF(21, 8)}));
        p.drawPolyline(QPolygonF({QPointF(21, 16), QPointF(21, 21), QPointF(16, 21)}));
        p.drawPolyline(QPolygonF({QPointF(8, 21), QPointF(3, 21), QPointF(3, 16)}));
        textLines(p, 7.5, 9, {9, 6.5, 9});
        return;
    case Symbol::recording:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        return;
    case Symbol::textMagnifyingGlass:
        textLines(p, 3, 5, {14, 8});
        p.drawEllipse(QPointF(13.5, 14.5), 4.5, 4.5);
        p.drawLine(QPointF(17, 18), QPointF(21, 22));
        return;
    case Symbol::generalPane:
    case Symbol::historyPane:
    case Symbol::privacyPane:
    case Symbol::shortcutsPane:
    case Symbol::clipCount:
    case Symbol::ready:
    case Symbol::notReady:
        p.drawPixmap(QRectF(0, 0, 24, 24), tinted(symbol, 24, color, p.device()->devicePixelRatioF()), QRectF());
        return;
    }
}

// Our own pictures of the settings window's symbols, for themes without the symbolic icons.
QString resourcePath(Symbol symbol) {
    const char* name = nullptr;
    switch (symbol) {
    case Symbol::generalPane:
        name = "general";
        break;
    case Symbol::historyPane:
        name = "history";
        break;
    case Symbol::privacyPane:
        name = "privacy";
        break;
    case Symbol::shortcutsPane:
        name = "shortcuts";
        break;
    case Symbol::clipCount:
        name = "clip-count";
        break;
    case Symbol::ready:
        name = "checkmark-circle";
        break;
    case Symbol::notReady:
        name = "warning-triangle";
        break;
    default:
        return {};
    }
    return QStringLiteral(":/icons/symbol-%1.svg").arg(QLatin1StringView(name));
}

} // namespace

QString themeName(Symbol symbol) {
    switch (symbol) {
    case Symbol::clipboard:
        return QStringLiteral("edit-paste");
    case Symbol::magnifyingGlass:
        return QStringLiteral("edit-find");
    case Symbol::clearSearch:
        return QStringLiteral("edit-clear");
    case Symbol::settings:
        return QStringLiteral("preferences-system");
    case Symbol::warning:
        return QStringLiteral("dialog-warning");
    case Symbol::paused:
        return QStringLiteral("media-playback-pause");
    case Symbol::emptyClipboard:
        return QStringLiteral("edit-copy");
    case Symbol::text:
        return QStringLiteral("format-justify-left");
    case Symbol::link:
        return QStringLiteral("insert-link");
    case Symbol::photo:
        return QStringLiteral("image-x-generic");
    case Symbol::document:
        return QStringLiteral("text-x-generic");
    case Symbol::richText:
        return QStringLiteral("format-text-bold");
    case Symbol::star:
        return QStringLiteral("non-starred");
    case Symbol::starFilled:
        return QStringLiteral("starred");
    case Symbol::trash:
        return QStringLiteral("user-trash");
    case Symbol::textViewfinder:
        return QStringLiteral("scanner");
    case Symbol::textMagnifyingGlass:
        return QStringLiteral("system-search");
    case Symbol::recording:
        return {};
    case Symbol::generalPane:
        return QStringLiteral("preferences-system-symbolic");
    case Symbol::historyPane:
        return QStringLiteral("document-open-recent-symbolic");
    case Symbol::privacyPane:
        return QStringLiteral("security-high-symbolic");
    case Symbol::shortcutsPane:
        return QStringLiteral("input-keyboard-symbolic");
    case Symbol::clipCount:
        return QStringLiteral("view-list-symbolic");
    case Symbol::ready:
        return QStringLiteral("emblem-ok");
    case Symbol::notReady:
        return QStringLiteral("dialog-warning");
    }
    return {};
}

void paint(QPainter& painter, Symbol symbol, const QRectF& rect, const QColor& color) {
    const QString name = themeName(symbol);
    const QIcon themed = name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
    if (!themed.isNull()) {
        themed.paint(&painter, rect.toAlignedRect());
        return;
    }
    // Drawn on a layer of its own, so the cut-outs clear only the symbol.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double side = std::min(rect.width(), rect.height());
    QPixmap layer(QSize(qCeil(side * ratio), qCeil(side * ratio)));
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 24.0, side / 24.0);
        draw(p, symbol, color);
    }
    painter.drawPixmap(QPointF(rect.center().x() - side / 2, rect.center().y() - side / 2), layer);
}

QIcon icon(Symbol symbol, const QColor& color, int size) {
    const QString name = themeName(symbol);
    const QIcon themed = name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
    if (!themed.isNull())
        return themed;
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(qCeil(size * ratio), qCeil(size * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paint(p, symbol, QRectF(0, 0, size, size), color);
    p.end();
    return QIcon(pixmap);
}

QPixmap tinted(Symbol symbol, int size, const QColor& color, qreal devicePixelRatio) {
    const QString fallback = resourcePath(symbol);
    const QIcon icon = QIcon::fromTheme(themeName(symbol), fallback.isEmpty() ? QIcon() : QIcon(fallback));
    QPixmap result = icon.pixmap(QSize(size, size), devicePixelRatio);
    if (result.isNull())
        return result;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), result.size()), color);
    return result;
}

QPixmap statusMark(bool working, int size, qreal devicePixelRatio) {
    const Symbol symbol = working ? Symbol::ready : Symbol::notReady;
    return QIcon::fromTheme(themeName(symbol), QIcon(resourcePath(symbol))).pixmap(QSize(size, size), devicePixelRatio);
}

} // namespace stowline::Symbols
