#include "app/ui/history/EmptyState.h"

#include "app/ui/widgets/RoleLabel.h"
#include "app/ui/widgets/SymbolView.h"
#include "app/ui/style/StyleMetrics.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace stowline {

EmptyState::EmptyState(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("emptyState"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(PanelMetrics::emptyState);
    layout->setSpacing(PanelMetrics::emptyStateSpacing);
    layout->addStretch(1);
    m_symbol = new SymbolView(Symbol::emptyClipboard, 44, StyleRole::tertiaryLabel, this);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    m_title = new RoleLabel(QString(), TextSize::emptyTitle, QFont::DemiBold, StyleRole::label, this);
    m_title->setObjectName(QStringLiteral("emptyTitle"));
    m_title->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_title);
    m_message = new RoleLabel(QString(), TextSize::body, QFont::Normal, StyleRole::secondaryText, this);
    m_message->setObjectName(QStringLiteral("emptyMessage"));
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    layout->addWidget(m_message);
    m_action = new QPushButton(this);
    m_action->setObjectName(QStringLiteral("emptyAction"));
    m_action->setVisible(false);
    layout->addWidget(m_action, 0, Qt::AlignHCenter);
    connect(m_action, &QPushButton::clicked, this, &EmptyState::actionTriggered);
    layout->addStretch(1);
}

void EmptyState::set(Symbol symbol, const QString& title, const QString& message, const QString& action) {
    m_symbol->setSymbol(symbol);
    m_title->setText(title);
    m_message->setText(message);
    m_action->setText(action);
    m_action->setAccessibleName(action);
    m_action->setVisible(!action.isEmpty());
    setAccessibleName(title);
    setAccessibleDescription(message);
}

} // namespace stowline
