#include "app/settings/SegmentedControl.h"

#include "app/style/StowlineStyle.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>

namespace stowline {

// One choice: its title, on the accent colour while chosen.
class SegmentedControl::Segment : public QAbstractButton {
public:
    Segment(const QString& title, QWidget* parent) : QAbstractButton(parent) {
        setText(title);
        setAccessibleName(title);
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFont(StowlineStyle::font(13));
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {std::max(84, metrics.horizontalAdvance(text()) + 28), metrics.height() + 12};
    }

protected:
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
    bool m_keyboardFocus = false;
};

SegmentedControl::SegmentedControl(const QStringList& segments, const QString& accessibleName, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    setAccessibleName(accessibleName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < segments.size(); ++i) {
        auto* button = new Segment(segments[i], this);
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

} // namespace stowline
