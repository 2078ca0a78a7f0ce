#include "app/ui/widgets/RoleLabel.h"

namespace stowline {

RoleLabel::RoleLabel(const QString& text, qreal size, QFont::Weight weight, StyleRole role, QWidget* parent)
    : QLabel(text, parent), m_role(role) {
    setFont(StowlineStyle::font(size, weight));
    setTextFormat(Qt::PlainText);
    recolor();
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, &RoleLabel::recolor);
}

void RoleLabel::setRole(StyleRole role) {
    m_role = role;
    recolor();
}

void RoleLabel::recolor() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, StowlineStyle::color(m_role));
    setPalette(palette);
}

} // namespace stowline
