#include "app/ui/widgets/SegmentedControl.h"

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/StyleMetrics.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace stowline {

// One choice: its title, on the accent colour while chosen.
class SegmentedControl::Segment : public QAbstractButton {
public:
    Segment(const QString& title, Size size, QWidget* parent)
        : QAbstractButton(parent), m_minimumWidth(size == Size::compact ? 56 : 84) {
        setText(title);
        setAccessibleName(title);
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFont(StowlineStyle::font(size == Size::compact ? TextSize::callout : TextSize::body,
                                    size == Size::compact ? QFont::Medium : QFont::Normal));
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {std::max(m_minimumWidth, metrics.horizontalAdvance(text()) + 24), metrics.height() + 12};
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        auto* control = static_cast<SegmentedControl*>(parentWidget());
        const int index = control->m_group->id(this);
        const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
        if (step != 0 && event->modifiers() == Qt::NoModifier) {
            if (QAbstractButton* next = control->segment(index + step)) {
                next->setFocus(Qt::TabFocusReason);
                next->click();
            }
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

    // The ring shows where the keyboard is, not where a window's first focus happened to land.
    void focusInEvent(QFocusEvent* event) override {
        m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
        QAbstractButton::focusInEvent(event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
        if (isChecked()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(StowlineStyle::color(StyleRole::accent));
            painter.drawRoundedRect(area, 5, 5);
        }
        if (hasFocus() && m_keyboardFocus) {
            painter.setPen(QPen(StowlineStyle::color(StyleRole::accent), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(area.adjusted(-1, -1, 1, 1), 6, 6);
        }
        // On the accent the title is as light as a light window's surface, in either appearance.
        const QColor textColor = !isEnabled()  ? StowlineStyle::color(StyleRole::tertiaryLabel)
                                 : isChecked() ? StowlineStyle::color(StyleRole::surface, Appearance::light)
                                               : StowlineStyle::color(StyleRole::label);
        painter.setPen(textColor);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    const int m_minimumWidth;
    bool m_keyboardFocus = false;
};

SegmentedControl::SegmentedControl(const QStringList& segments, const QString& accessibleName, QWidget* parent,
                                   Size size)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    setAccessibleName(accessibleName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < segments.size(); ++i) {
        auto* button = new Segment(segments[i], size, this);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::activated);
}

int SegmentedControl::currentIndex() const {
    return m_group->checkedId();
}

void SegmentedControl::setCurrentIndex(int index) {
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(StowlineStyle::color(StyleRole::border), 1));
    painter.setBrush(StowlineStyle::color(StyleRole::controlFill));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
}

QAbstractButton* SegmentedControl::segment(int index) const {
    return m_group->button(index);
}

int SegmentedControl::count() const {
    return int(m_group->buttons().size());
}

} // namespace stowline
