#pragma once

#include "core/history/HistoryFilter.h"

#include <QWidget>

class QLabel;

namespace stowline {

class RoleLabel;
class SegmentedControl;
class SymbolView;

// Whether capture runs, then the kind filters as one segmented control that the keyboard reaches with Tab and
// moves through with Left and Right.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);

    void setCapturing(bool capturing);
    void setFilter(HistoryFilter filter);

    static QString accessibleName(HistoryFilter filter);

Q_SIGNALS:
    void filterChosen(stowline::HistoryFilter filter);

private:
    RoleLabel* m_status;
    SymbolView* m_dot;
    SegmentedControl* m_filters;
};

} // namespace stowline
