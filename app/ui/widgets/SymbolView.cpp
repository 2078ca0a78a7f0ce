#include "app/ui/widgets/SymbolView.h"

#include <QPainter>

namespace stowline {

SymbolView::SymbolView(Symbol symbol, int size, StyleRole colorRole, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_size(size), m_colorRole(colorRole) {
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolView::setSymbol(Symbol symbol) {
    m_symbol = symbol;
    update();
}

void SymbolView::setColorRole(StyleRole role) {
    m_colorRole = role;
    update();
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Symbols::paint(painter, m_symbol, QRectF(rect()), StowlineStyle::color(m_colorRole));
}

} // namespace stowline
