#pragma once

#include "app/ui/style/Symbols.h"

#include <QWidget>

namespace stowline {

class RoleLabel;
class SymbolView;

// What the content area shows instead of the list: a symbol, a title and a message.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    explicit EmptyState(QWidget* parent = nullptr);
    void set(Symbol symbol, const QString& title, const QString& message);

private:
    SymbolView* m_symbol;
    RoleLabel* m_title;
    RoleLabel* m_message;
};

} // namespace stowline
