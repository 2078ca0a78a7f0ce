#pragma once

#include "app/concurrency/OneShotTimer.h"
#include "app/concurrency/SerialQueue.h"
#include "core/history/HistoryEngine.h"
#include "core/history/HistoryFilter.h"
#include "core/search/SmartSearch.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

namespace stowline {

class HistoryStore;

// The state behind the history panel: the search text, the kind filter, the clips that pass both and the
// selected clip. The visible list is computed on the ".search" queue from the store's published history, whose
// entries it shares, so a search over 100,000 clips copies none of them. Typing is debounced; changes of the
// filter and of the history are not. GUI thread only.
class HistoryViewModel : public QObject {
    Q_OBJECT

public:
    static constexpr int debounceMilliseconds = 100;

    // `timers` makes the typing debounce; tests pass timers they fire themselves.
    explicit HistoryViewModel(HistoryStore& store, TimerFactory timers = systemTimers(), QObject* parent = nullptr);
    ~HistoryViewModel() override;

    const QString& query() const { return m_query; }
    void setQuery(const QString& query);
    HistoryFilter filter() const { return m_filter; }
    void setFilter(HistoryFilter filter);
    const std::optional<QUuid>& selectedID() const { return m_selectedID; }
    void setSelectedID(const std::optional<QUuid>& id);

    // Entries that pass the filter and the query, in history order.
    const QList<SharedClipItem>& visibleItems() const { return m_visibleItems; }
    // The visible entry with the selected id; null when nothing visible is selected.
    SharedClipItem selectedItem() const;
    // Its position in the visible list, or -1.
    qsizetype selectedIndex() const { return m_selectedIndex; }

    // The query as the search reads it, parsed and folded once per change with the history's folder, for the
    // recognised-text excerpts of the rows.
    const SmartSearch& search() const { return m_search; }

    // Moves by a signed step, clamped to the visible list; from no visible selection the step counts from the
    // first entry.
    void moveSelection(int step);
    // Empties the search, shows all kinds and clears the selection; the whole list follows without waiting for
    // the debounce, and its first entry becomes the selection.
    void resetInteraction();

    // Blocks until the filtering posted so far has run; its results still arrive through the event loop.
    void waitForSearchQueue() { m_searchQueue.waitUntilIdle(); }

Q_SIGNALS:
    void queryChanged(const QString& query);
    void filterChanged(stowline::HistoryFilter filter);
    void selectedIDChanged();
    void visibleItemsChanged();

private:
    SmartSearch parse(QStringView query) const;
    void recompute();
    void apply(QList<SharedClipItem> items);
    void updateSelectedIndex();

    HistoryStore& m_store;
    std::unique_ptr<OneShotTimer> m_debounce;
    QString m_query;
    SmartSearch m_search;
    // The query the filtering uses: the last one that stayed unchanged for the debounce time.
    std::optional<QString> m_debouncedQuery;
    HistoryFilter m_filter = HistoryFilter::all;
    std::optional<QUuid> m_selectedID;
    qsizetype m_selectedIndex = -1;
    QList<SharedClipItem> m_visibleItems;
    // Last, so its jobs and results never outlive the members they read.
    SerialQueue m_searchQueue;
};

} // namespace stowline
