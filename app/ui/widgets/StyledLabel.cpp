#include "app/ui/widgets/StyledLabel.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace stowline {

StyledLabel::StyledLabel(const QString& text, const QFont& font, StyleRole role, Overflow overflow, QWidget* parent)
    : QWidget(parent), m_text(text), m_role(role), m_overflow(overflow) {
    setFont(font);
    setAccessibleName(text);
    setSizePolicy(overflow == Overflow::elideTail ? QSizePolicy::Ignored : QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] { update(); });
}

void StyledLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void StyledLabel::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

QSize StyledLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(m_text) + 1, metrics.height()};
}

QSize StyledLabel::minimumSizeHint() const {
    if (m_overflow == Overflow::grow)
        return sizeHint();
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QChar(0x2026)) * 2, metrics.height()};
}

void StyledLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(StowlineStyle::color(m_role));
    const QString shown =
        m_overflow == Overflow::elideTail ? fontMetrics().elidedText(m_text, Qt::ElideRight, width()) : m_text;
    painter.drawText(rect(), int(m_alignment) | Qt::TextSingleLine, shown);
}

} // namespace stowline
