#include "app/history/HistoryListModel.h"

#include <algorithm>

namespace stowline {

HistoryListModel::HistoryListModel(AccessibleText accessibleText, QObject* parent)
    : QAbstractListModel(parent), m_accessibleText(std::move(accessibleText)) {}

void HistoryListModel::setItems(const QList<SharedClipItem>& items) {
    beginResetModel();
    m_items = items;
    endResetModel();
}

int HistoryListModel::rowOf(const QUuid& id) const {
    const auto found =
        std::find_if(m_items.cbegin(), m_items.cend(), [&](const SharedClipItem& item) { return item->id() == id; });
    return found == m_items.cend() ? -1 : int(found - m_items.cbegin());
}

int HistoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    if (role == Qt::AccessibleTextRole)
        return m_accessibleText(*m_items[index.row()]);
    return {};
}

void HistoryListModel::refreshAll() {
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
}

} // namespace stowline
