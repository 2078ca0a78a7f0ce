#include "app/ui/widgets/KeyCap.h"

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/StyleMetrics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace stowline {

namespace {

constexpr qreal horizontalPadding = 6;
constexpr qreal verticalPadding = 3;
constexpr qreal cornerRadius = 3;

QFont capFont() {
    return StowlineStyle::font(TextSize::caption, QFont::DemiBold);
}

} // namespace

KeyCap::KeyCap(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void KeyCap::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize KeyCap::sizeHint() const {
    return capSize(m_text);
}

QSize KeyCap::capSize(const QString& text) {
    const QFontMetricsF metrics(capFont());
    // The 1-unit stroke sits inside the padding.
    return QSize(int(std::ceil(metrics.horizontalAdvance(text) + 2 * horizontalPadding)),
                 int(std::ceil(metrics.height() + 2 * verticalPadding)));
}

void KeyCap::paintCap(QPainter& painter, const QRectF& rect, const QString& text) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF cap = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(StowlineStyle::color(StyleRole::border), 1));
    painter.setBrush(StowlineStyle::color(StyleRole::controlFill));
    painter.drawRoundedRect(cap, cornerRadius, cornerRadius);
    painter.setFont(capFont());
    painter.setPen(StowlineStyle::color(StyleRole::secondaryText));
    painter.drawText(rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding),
                     Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

void KeyCap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSize size = capSize(m_text);
    // Centred when a layout makes the widget taller or wider than the cap.
    QRectF cap(QPointF(0, 0), QSizeF(size));
    cap.moveCenter(QRectF(rect()).center());
    paintCap(painter, cap, m_text);
}

} // namespace stowline
