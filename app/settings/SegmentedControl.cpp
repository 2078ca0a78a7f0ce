#include "app/settings/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

namespace stowline {

SegmentedControl::SegmentedControl(const QStringList& segments, const QString& accessibleName, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    setAccessibleName(accessibleName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < segments.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setText(segments[i]);
        button->setAccessibleName(segments[i]);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumWidth(84);
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

QAbstractButton* SegmentedControl::segment(int index) const {
    return m_group->button(index);
}

} // namespace stowline
