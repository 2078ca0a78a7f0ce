#include "app/ui/settings/SettingsSection.h"
#include "app/ui/style/StyleMetrics.h"

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
    layout->setContentsMargins(SettingsMetrics::pane);
    layout->setSpacing(SettingsMetrics::paneSpacing);
    layout->addWidget(new SettingsIntroduction(symbol, title, sentence, pane));
    return layout;
}

QLabel* makeNote(const QString& text, QWidget* parent, qreal pointSize) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setFont(StowlineStyle::font(pointSize > 0 ? pointSize : TextSize::callout));
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
    layout->setSpacing(SettingsMetrics::headingSpacing);
    auto* heading = makeNote(title, this);
    QFont font = StowlineStyle::font(TextSize::footnote, QFont::DemiBold);
    font.setLetterSpacing(QFont::PercentageSpacing, 106);
    heading->setFont(font);
    heading->setAccessibleName(title);
    layout->addWidget(heading);
    layout->addWidget(m_box);
    m_rows->setContentsMargins(SettingsMetrics::sectionBox);
    m_rows->setSpacing(SettingsMetrics::sectionRowSpacing);
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
    layout->setContentsMargins(SettingsMetrics::introduction);
    layout->setSpacing(SettingsMetrics::introductionSpacing);
    layout->addWidget(new SettingsSymbolView(symbol, SettingsMetrics::introductionSymbolSize, StyleRole::accent, this),
                      0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(SettingsMetrics::introductionTextSpacing);
    auto* heading = new QLabel(title, this);
    heading->setFont(StowlineStyle::font(TextSize::title, QFont::Bold));
    texts->addWidget(heading);
    texts->addWidget(makeNote(sentence, this));
    layout->addLayout(texts, 1);
}

} // namespace stowline
