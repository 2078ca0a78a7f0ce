#include "app/ui/history/HistoryListModel.h"

#include <algorithm>

namespace stowline {

HistoryListModel::HistoryListModel(AccessibleText accessibleText, QObject* parent)
    : QAbstractListModel(parent), m_accessibleText(std::move(accessibleText)) {}

void HistoryListModel::setItems(const QList<SharedClipItem>& items) {
    // The rows both lists share at their beginning and end stay; those between are removed and inserted.
    const qsizetype shortest = std::min(m_items.size(), items.size());
    qsizetype head = 0;
    while (head < shortest && m_items[head]->id() == items[head]->id())
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head && m_items[m_items.size() - 1 - tail]->id() == items[items.size() - 1 - tail]->id())
        ++tail;
    const qsizetype removed = m_items.size() - head - tail;
    const qsizetype inserted = items.size() - head - tail;
    if (removed > 0) {
        beginRemoveRows({}, int(head), int(head + removed - 1));
        m_items.remove(head, removed);
        endRemoveRows();
    }
    if (inserted > 0) {
        beginInsertRows({}, int(head), int(head + inserted - 1));
        m_items.insert(head, inserted, nullptr);
        std::copy(items.cbegin() + head, items.cbegin() + head + inserted, m_items.begin() + head);
        endInsertRows();
    }
    // Kept rows whose clip changed in place (a favourite, recognised text) are told so.
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items[row] == items[row])
            continue;
        qsizetype last = row;
        while (last + 1 < m_items.size() && m_items[last + 1] != items[last + 1])
            ++last;
        std::copy(items.cbegin() + row, items.cbegin() + last + 1, m_items.begin() + row);
        Q_EMIT dataChanged(index(int(row)), index(int(last)));
        row = last;
    }
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
    if (role == ClipRole)
        return QVariant::fromValue(m_items[index.row()]);
    if (role == Qt::AccessibleTextRole)
        return m_accessibleText(*m_items[index.row()]);
    return {};
}

void HistoryListModel::refreshAll() {
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
}

} // namespace stowline
