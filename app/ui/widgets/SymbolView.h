#pragma once

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/Symbols.h"

#include <QWidget>

namespace stowline {

// A symbol drawn in a style role's colour, repainted with the appearance; presses go through to what is below.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(Symbol symbol, int size, StyleRole colorRole, QWidget* parent = nullptr);
    void setSymbol(Symbol symbol);
    void setColorRole(StyleRole role);
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    int m_size;
    StyleRole m_colorRole;
};

} // namespace stowline
