#include "app/settings/SettingsSection.h"

#include "app/settings/SettingsColors.h"
#include "app/settings/SettingsSymbols.h"

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
        painter.setPen(QPen(SettingsColors::border(palette()), 1));
        painter.setBrush(SettingsColors::sectionFill(palette()));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QLabel* makeNote(const QString& text, QWidget* parent, qreal pointSize) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    QFont font = note->font();
    font.setPointSizeF(pointSize > 0 ? pointSize : font.pointSizeF() * 0.9);
    note->setFont(font);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette));
    note->setPalette(palette);
    return note;
}

SettingsSection::SettingsSection(const QString& title, QWidget* parent)
    : QWidget(parent), m_box(new Box(this)), m_rows(new QVBoxLayout(m_box)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* heading = makeNote(title, this);
    QFont font = heading->font();
    font.setBold(true);
    font.setLetterSpacing(QFont::PercentageSpacing, 104);
    heading->setFont(font);
    heading->setAccessibleName(title);
    layout->addWidget(heading);
    layout->addWidget(m_box);
    m_rows->setContentsMargins(14, 12, 14, 12);
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

SettingsIntroduction::SettingsIntroduction(const QString& symbol, const QString& title, const QString& sentence,
                                           QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(12);
    auto* icon = new QLabel(this);
    icon->setPixmap(SettingsSymbols::icon(symbol).pixmap(32, 32));
    icon->setFixedSize(32, 32);
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* heading = new QLabel(title, this);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.35);
    font.setBold(true);
    heading->setFont(font);
    texts->addWidget(heading);
    texts->addWidget(makeNote(sentence, this));
    layout->addLayout(texts, 1);
}

} // namespace stowline
