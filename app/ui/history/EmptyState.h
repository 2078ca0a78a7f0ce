#pragma once

#include "app/ui/style/Symbols.h"

#include <QWidget>

class QPushButton;

namespace stowline {

class RoleLabel;
class SymbolView;

// What the content area shows instead of the list: a symbol, a title and a message.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    explicit EmptyState(QWidget* parent = nullptr);
    // With `action`, a button of that text below the message; without, none.
    void set(Symbol symbol, const QString& title, const QString& message, const QString& action = {});

Q_SIGNALS:
    void actionTriggered();

private:
    SymbolView* m_symbol;
    RoleLabel* m_title;
    RoleLabel* m_message;
    QPushButton* m_action;
};

} // namespace stowline
