#include "app/ui/history/HistoryHeader.h"

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/Symbols.h"
#include "app/ui/widgets/SymbolView.h"
#include "app/ui/style/StyleMetrics.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace stowline {

namespace {

constexpr int kSymbolSize = 18;
constexpr int kSettingsSymbolSize = 20;

} // namespace

HistoryHeader::HistoryHeader(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(PanelMetrics::header);
    layout->setSpacing(PanelMetrics::headerSpacing);
    layout->addWidget(new SymbolView(Symbol::clipboard, 24, StyleRole::accent, this));

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(QStringLiteral("Search your clipboard"));
    m_search->setAccessibleName(QStringLiteral("Search clipboard history"));
    m_search->setFrame(false);
    m_search->setFont(StowlineStyle::font(TextSize::title));
    layout->addWidget(m_search, 1);

    m_clear = new QToolButton(this);
    m_clear->setObjectName(QStringLiteral("clearSearch"));
    m_clear->setAccessibleName(QStringLiteral("Clear search"));
    m_clear->setToolTip(QStringLiteral("Clear search"));
    m_clear->setAutoRaise(true);
    m_clear->setFocusPolicy(Qt::NoFocus);
    m_clear->setVisible(false);
    layout->addWidget(m_clear);

    m_settings = new QToolButton(this);
    m_settings->setObjectName(QStringLiteral("settings"));
    m_settings->setToolTip(QStringLiteral("Settings"));
    m_settings->setAccessibleName(QStringLiteral("Open settings"));
    m_settings->setAutoRaise(true);
    m_settings->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(m_settings);

    connect(m_clear, &QToolButton::clicked, m_search, &QLineEdit::clear);
    connect(m_search, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_clear->setVisible(!text.isEmpty()); });
    refreshSymbols();
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, &HistoryHeader::refreshSymbols);
}

void HistoryHeader::refreshSymbols() {
    const QColor secondary = StowlineStyle::color(StyleRole::secondaryText);
    for (QAction* action : m_search->actions())
        m_search->removeAction(action);
    m_search->addAction(Symbols::icon(Symbol::magnifyingGlass, secondary, kSymbolSize), QLineEdit::LeadingPosition);
    m_clear->setIcon(Symbols::icon(Symbol::clearSearch, StowlineStyle::color(StyleRole::tertiaryLabel), kSymbolSize));
    m_clear->setIconSize(QSize(kSymbolSize, kSymbolSize));
    m_settings->setIcon(Symbols::icon(Symbol::settings, secondary, kSettingsSymbolSize));
    m_settings->setIconSize(QSize(kSettingsSymbolSize, kSettingsSymbolSize));
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, StowlineStyle::color(StyleRole::label));
    palette.setColor(QPalette::PlaceholderText, StowlineStyle::color(StyleRole::tertiaryLabel));
    m_search->setPalette(palette);
}

} // namespace stowline
