#pragma once

#include "core/history/HistoryEngine.h"

#include <QAbstractListModel>

#include <functional>

namespace stowline {

// The visible clips as a list model: one row per shared entry, nothing copied. A row answers its clip (ClipRole)
// and its text for assistive technology. A new list replaces the old one in place where both agree at their
// beginning and end, so a view keeps what it knows (scroll position, open editors) about unchanged rows. GUI
// thread only.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using AccessibleText = std::function<QString(const ClipItem&)>;
    // The row's SharedClipItem.
    static constexpr int ClipRole = Qt::UserRole + 1;

    explicit HistoryListModel(AccessibleText accessibleText, QObject* parent = nullptr);

    void setItems(const QList<SharedClipItem>& items);
    const SharedClipItem& clipAt(int row) const { return m_items[row]; }
    int rowOf(const QUuid& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Tells views that the rows' contents changed in place (a preference of their drawing, the search's excerpt).
    void refreshAll();

private:
    AccessibleText m_accessibleText;
    QList<SharedClipItem> m_items;
};

} // namespace stowline
