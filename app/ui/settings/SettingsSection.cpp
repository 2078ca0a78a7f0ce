#include "app/ui/settings/SettingsSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace stowline {

class SettingsSection::Box : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(StowlineStyle::color(StyleRole::border), 1));
        painter.setBrush(StowlineStyle::color(StyleRole::elevated));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QVBoxLayout* makePaneLayout(QWidget* pane, Symbol symbol, const QString& title, const QString& sentence) {
    auto* layout = new QVBoxLayout(pane);
    // Tight enough that the longest pane fits the window's first size without scrolling.
    layout->setContentsMargins(9, 4, 9, 2);
    layout->setSpacing(12);
    layout->addWidget(new SettingsIntroduction(symbol, title, sentence, pane));
    return layout;
}

QLabel* makeNote(const QString& text, QWidget* parent, qreal pointSize) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setFont(StowlineStyle::font(pointSize > 0 ? pointSize : 12));
    paintTextIn(note, StyleRole::secondaryText);
    return note;
}

void paintTextIn(QLabel* label, StyleRole role) {
    const auto apply = [label, role] {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, StowlineStyle::color(role));
        label->setPalette(palette);
    };
    apply();
    QObject::connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, label, apply);
}

SettingsSection::SettingsSection(const QString& title, QWidget* parent)
    : QWidget(parent), m_box(new Box(this)), m_rows(new QVBoxLayout(m_box)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* heading = makeNote(title, this);
    QFont font = StowlineStyle::font(11, QFont::DemiBold);
    font.setLetterSpacing(QFont::PercentageSpacing, 106);
    heading->setFont(font);
    heading->setAccessibleName(title);
    layout->addWidget(heading);
    layout->addWidget(m_box);
    m_rows->setContentsMargins(14, 10, 14, 10);
    m_rows->setSpacing(8);
}

void SettingsSection::addRow(QWidget* row) {
    m_rows->addWidget(row);
}

QLabel* SettingsSection::addNote(const QString& text, qreal pointSize) {
    QLabel* note = makeNote(text, m_box, pointSize);
    m_rows->addWidget(note);
    return note;
}

QWidget* SettingsSection::addLabelledRow(const QString& caption, QWidget* control) {
    auto* row = new QWidget(m_box);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption, row);
    label->setBuddy(control);
    layout->addWidget(label);
    layout->addStretch();
    control->setParent(row);
    layout->addWidget(control);
    m_rows->addWidget(row);
    return row;
}

SettingsSymbolView::SettingsSymbolView(Symbol symbol, int size, StyleRole role, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_size(size), m_role(role) {
    setFixedSize(size, size);
}

void SettingsSymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Symbols::tinted(m_symbol, m_size, StowlineStyle::color(m_role), devicePixelRatioF()));
}

SettingsIntroduction::SettingsIntroduction(Symbol symbol, const QString& title, const QString& sentence,
                                           QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(12);
    layout->addWidget(new SettingsSymbolView(symbol, 30, StyleRole::accent, this), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* heading = new QLabel(title, this);
    heading->setFont(StowlineStyle::font(18, QFont::Bold));
    texts->addWidget(heading);
    texts->addWidget(makeNote(sentence, this));
    layout->addLayout(texts, 1);
}

} // namespace stowline
