#include "app/history/HistoryViewParts.h"

#include "app/widgets/KeyCap.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace stowline {

namespace {

QLabel* textLabel(const QString& text, qreal size, QFont::Weight weight, StyleRole role, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(StowlineStyle::font(size, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, StowlineStyle::color(role));
    label->setPalette(palette);
    return label;
}

void recolor(QLabel* label, StyleRole role) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, StowlineStyle::color(role));
    label->setPalette(palette);
}

} // namespace

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

HistoryHeader::HistoryHeader(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 14, 12, 8);
    layout->setSpacing(10);
    layout->addWidget(new SymbolView(Symbol::clipboard, 24, StyleRole::accent, this));

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(QStringLiteral("Search your clipboard"));
    m_search->setAccessibleName(QStringLiteral("Search clipboard history"));
    m_search->setFrame(false);
    m_search->setFont(StowlineStyle::font(18));
    m_search->setAttribute(Qt::WA_MacShowFocusRect, false);
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
    m_settings->setFocusPolicy(Qt::NoFocus);
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
    m_search->addAction(Symbols::icon(Symbol::magnifyingGlass, secondary, 18), QLineEdit::LeadingPosition);
    m_clear->setIcon(Symbols::icon(Symbol::clearSearch, StowlineStyle::color(StyleRole::tertiaryLabel), 18));
    m_clear->setIconSize(QSize(18, 18));
    m_settings->setIcon(Symbols::icon(Symbol::settings, secondary, 20));
    m_settings->setIconSize(QSize(20, 20));
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, StowlineStyle::color(StyleRole::label));
    palette.setColor(QPalette::PlaceholderText, StowlineStyle::color(StyleRole::tertiaryLabel));
    m_search->setPalette(palette);
}

ErrorBanner::ErrorBanner(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 8, 20, 8);
    layout->setSpacing(10);
    layout->addWidget(new SymbolView(Symbol::warning, 18, StyleRole::systemOrange, this), 0, Qt::AlignTop);
    m_message = textLabel(QString(), 12, QFont::Medium, StyleRole::label, this);
    m_message->setWordWrap(true);
    layout->addWidget(m_message, 1);
    m_dismiss = new QPushButton(QStringLiteral("Dismiss"), this);
    m_dismiss->setFocusPolicy(Qt::NoFocus);
    m_dismiss->setAccessibleName(QStringLiteral("Dismiss"));
    layout->addWidget(m_dismiss, 0, Qt::AlignVCenter);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this,
            [this] { recolor(m_message, StyleRole::label); });
}

void ErrorBanner::setMessage(const QString& message) {
    m_message->setText(message);
    m_message->setAccessibleName(message);
}

void ErrorBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(12.5, 0.5, -12.5, -0.5), 8, 8);
    QColor fill = StowlineStyle::color(StyleRole::systemOrange);
    fill.setAlphaF(0.14f);
    painter.fillPath(path, fill);
}

FilterBar::FilterBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 4, 16, 8);
    layout->setSpacing(6);
    m_dot = new SymbolView(Symbol::recording, 10, StyleRole::systemGreen, this);
    layout->addWidget(m_dot);
    m_status = textLabel(QString(), 11.5, QFont::DemiBold, StyleRole::secondaryText, this);
    m_status->setObjectName(QStringLiteral("captureStatus"));
    layout->addWidget(m_status);
    layout->addSpacing(10);
    m_group.setExclusive(true);
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const HistoryFilter filter = EnumTraits<HistoryFilter>::cases[i];
        auto* button = new QPushButton(label(filter), this);
        button->setCheckable(true);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(StowlineStyle::font(12, QFont::Medium));
        button->setAccessibleName(accessibleName(filter));
        button->setCursor(Qt::PointingHandCursor);
        m_group.addButton(button, int(i));
        layout->addWidget(button);
        m_buttons[i] = button;
        connect(button, &QPushButton::clicked, this, [this, filter] { Q_EMIT filterChosen(filter); });
    }
    layout->addStretch(1);
    setCapturing(true);
    setFilter(HistoryFilter::all);
}

QString FilterBar::accessibleName(HistoryFilter filter) {
    return u"Show " + rawValue(filter).toLower() + u" clips";
}

QPushButton* FilterBar::button(HistoryFilter filter) const {
    return m_buttons[size_t(filter)];
}

void FilterBar::setCapturing(bool capturing) {
    m_status->setText(capturing ? QStringLiteral("Capturing") : QStringLiteral("Paused"));
    // The dot reads as a light: green while capturing, orange while paused.
    m_dot->setColorRole(capturing ? StyleRole::systemGreen : StyleRole::systemOrange);
}

void FilterBar::setFilter(HistoryFilter filter) {
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const bool selected = EnumTraits<HistoryFilter>::cases[i] == filter;
        m_buttons[i]->setChecked(selected);
        // Read by assistive technology as the button's value.
        m_buttons[i]->setAccessibleDescription(selected ? QStringLiteral("Selected") : QString());
    }
}

EmptyState::EmptyState(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 0, 40, 40);
    layout->setSpacing(10);
    layout->addStretch(1);
    m_symbol = new SymbolView(Symbol::emptyClipboard, 44, StyleRole::tertiaryLabel, this);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    m_title = textLabel(QString(), 17, QFont::DemiBold, StyleRole::label, this);
    m_title->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_title);
    m_message = textLabel(QString(), 13, QFont::Normal, StyleRole::secondaryText, this);
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    layout->addWidget(m_message);
    layout->addStretch(1);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] {
        recolor(m_title, StyleRole::label);
        recolor(m_message, StyleRole::secondaryText);
    });
}

void EmptyState::set(Symbol symbol, const QString& title, const QString& message) {
    m_symbol->setSymbol(symbol);
    m_title->setText(title);
    m_message->setText(message);
    setAccessibleName(title);
    setAccessibleDescription(message);
}

KeyHintFooter::KeyHintFooter(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(0);
    m_navigate = addHint(layout, QStringLiteral("↑↓"), QStringLiteral("Navigate"));
    m_use = addHint(layout, QStringLiteral("Return"), QStringLiteral("Copy"));
    m_plain = addHint(layout, QStringLiteral("Shift+Return"), QStringLiteral("Plain text"));
    m_edit = addHint(layout, QStringLiteral("Alt+Return"), QStringLiteral("Edit"));
    m_open = addHint(layout, QString(), QStringLiteral("Open"));
    layout->addStretch(1);
    m_count = textLabel(QString(), 11.5, QFont::Medium, StyleRole::secondaryText, this);
    m_count->setObjectName(QStringLiteral("clipCount"));
    layout->addWidget(m_count);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] {
        for (QLabel* label : findChildren<QLabel*>())
            recolor(label, StyleRole::secondaryText);
    });
}

KeyHintFooter::Hint KeyHintFooter::addHint(QHBoxLayout* layout, const QString& cap, const QString& text) {
    // Cap and label in one box, so a hidden hint leaves no gap.
    auto* box = new QWidget(this);
    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->setContentsMargins(0, 0, 10, 0);
    boxLayout->setSpacing(6);
    Hint hint{box, new KeyCap(cap, box), textLabel(text, 11.5, QFont::Medium, StyleRole::secondaryText, box)};
    boxLayout->addWidget(hint.cap);
    boxLayout->addWidget(hint.label);
    layout->addWidget(box);
    return hint;
}

void KeyHintFooter::update(bool instantPaste, bool editable, const QString& shortcut, qsizetype clipCount) {
    m_use.label->setText(instantPaste ? QStringLiteral("Paste") : QStringLiteral("Copy"));
    m_plain.box->setVisible(editable);
    m_edit.box->setVisible(editable);
    m_open.cap->setText(shortcut);
    m_open.box->setVisible(!shortcut.isEmpty());
    m_count->setText(countText(clipCount));
    setAccessibleDescription(texts().join(QStringLiteral(", ")));
}

QString KeyHintFooter::countText(qsizetype count) {
    return QString::number(count) + (count == 1 ? QStringLiteral(" clip") : QStringLiteral(" clips"));
}

QStringList KeyHintFooter::texts() const {
    QStringList texts;
    for (const Hint& hint : {m_navigate, m_use, m_plain, m_edit, m_open}) {
        if (!hint.box->isHidden())
            texts.append(hint.cap->text() + u' ' + hint.label->text());
    }
    texts.append(m_count->text());
    return texts;
}

void KeyHintFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), StowlineStyle::color(StyleRole::footerFill));
    painter.setPen(StowlineStyle::color(StyleRole::separator));
    painter.drawLine(rect().topLeft(), rect().topRight());
}

} // namespace stowline
