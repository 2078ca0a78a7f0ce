#include "app/ui/history/FilterBar.h"

#include "app/ui/widgets/RoleLabel.h"
#include "app/ui/widgets/SegmentedControl.h"
#include "app/ui/widgets/SymbolView.h"
#include "app/ui/style/StyleMetrics.h"

#include <QAbstractButton>
#include <QHBoxLayout>

namespace stowline {

FilterBar::FilterBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(PanelMetrics::filterBar);
    layout->setSpacing(PanelMetrics::filterBarSpacing);
    m_dot = new SymbolView(Symbol::recording, 10, StyleRole::systemGreen, this);
    layout->addWidget(m_dot);
    m_status = new RoleLabel(QString(), TextSize::keyHint, QFont::DemiBold, StyleRole::secondaryText, this);
    m_status->setObjectName(QStringLiteral("captureStatus"));
    layout->addWidget(m_status);
    layout->addSpacing(PanelMetrics::statusGap);
    QStringList labels;
    for (const HistoryFilter filter : EnumTraits<HistoryFilter>::cases)
        labels.append(label(filter));
    m_filters = new SegmentedControl(labels, QStringLiteral("Kind filter"), this, SegmentedControl::Size::compact);
    for (int i = 0; i < m_filters->count(); ++i) {
        const HistoryFilter filter = EnumTraits<HistoryFilter>::cases[size_t(i)];
        QAbstractButton* segment = m_filters->segment(i);
        segment->setObjectName(u"filter-" + rawValue(filter).toLower());
        segment->setAccessibleName(accessibleName(filter));
        segment->setCursor(Qt::PointingHandCursor);
    }
    connect(m_filters, &SegmentedControl::activated, this,
            [this](int index) { Q_EMIT filterChosen(EnumTraits<HistoryFilter>::cases[size_t(index)]); });
    layout->addWidget(m_filters, 1);
    setCapturing(true);
    setFilter(HistoryFilter::all);
}

QString FilterBar::accessibleName(HistoryFilter filter) {
    return u"Show " + rawValue(filter).toLower() + u" clips";
}

void FilterBar::setCapturing(bool capturing) {
    m_status->setText(capturing ? QStringLiteral("Capturing") : QStringLiteral("Paused"));
    // The dot reads as a light: green while capturing, orange while paused.
    m_dot->setColorRole(capturing ? StyleRole::systemGreen : StyleRole::systemOrange);
}

void FilterBar::setFilter(HistoryFilter filter) {
    m_filters->setCurrentIndex(int(filter));
    for (int i = 0; i < m_filters->count(); ++i) {
        // Read by assistive technology as the segment's value.
        m_filters->segment(i)->setAccessibleDescription(i == int(filter) ? QStringLiteral("Selected") : QString());
    }
}

} // namespace stowline
