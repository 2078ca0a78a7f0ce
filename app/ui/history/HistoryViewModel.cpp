#include "app/ui/history/HistoryViewModel.h"

#include "app/store/HistoryStore.h"
#include "core/support/AppIdentity.h"

#include <algorithm>

namespace stowline {

HistoryViewModel::HistoryViewModel(HistoryStore& store, TimerFactory timers, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_debounce(timers())
    , m_search(parse(QString()))
    , m_searchQueue(AppIdentity::applicationIdentifier() + u".search") {
    connect(m_debounce.get(), &OneShotTimer::timeout, this, [this] {
        m_debouncedQuery = m_query;
        recompute();
    });
    connect(&m_store, &HistoryStore::itemsChanged, this, &HistoryViewModel::recompute);
    // The empty query also waits for the debounce before the first list appears.
    m_debounce->start(debounceMilliseconds);
    // Folding the history's texts now keeps that cost away from the first search; the stored history may arrive
    // after the view model.
    const auto fold = [this] {
        m_searchQueue.post([history = m_store.publishedHistory()] { history->foldSearchableText(); });
    };
    fold();
    connect(&m_store, &HistoryStore::historyOpened, this, fold);
}

HistoryViewModel::~HistoryViewModel() = default;

SmartSearch HistoryViewModel::parse(QStringView query) const {
    return SmartSearch(query, m_store.publishedHistory()->folder());
}

void HistoryViewModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    m_query = query;
    m_search = parse(m_query);
    m_debounce->start(debounceMilliseconds);
    Q_EMIT queryChanged(m_query);
}

void HistoryViewModel::setFilter(HistoryFilter filter) {
    if (filter == m_filter)
        return;
    m_filter = filter;
    Q_EMIT filterChanged(m_filter);
    recompute();
}

void HistoryViewModel::setSelectedID(const std::optional<QUuid>& id) {
    if (id == m_selectedID)
        return;
    m_selectedID = id;
    updateSelectedIndex();
    Q_EMIT selectedIDChanged();
}

SharedClipItem HistoryViewModel::selectedItem() const {
    return m_selectedIndex >= 0 ? m_visibleItems[m_selectedIndex] : nullptr;
}

void HistoryViewModel::recompute() {
    // Nothing is shown until the first debounced query arrived.
    if (!m_debouncedQuery)
        return;
    // Jobs run one at a time in the order posted, and their results come back in that order.
    m_searchQueue.run(
        this,
        [history = m_store.publishedHistory(), search = parse(*m_debouncedQuery), filter = m_filter] {
            return history->sharedFiltered(search, filter);
        },
        [this](QList<SharedClipItem> items) { apply(std::move(items)); });
}

void HistoryViewModel::apply(QList<SharedClipItem> items) {
    m_visibleItems = std::move(items);
    const std::optional<QUuid> previous = m_selectedID;
    updateSelectedIndex();
    if (m_selectedIndex < 0) {
        m_selectedID = m_visibleItems.isEmpty() ? std::nullopt : std::optional(m_visibleItems.first()->id());
        m_selectedIndex = m_visibleItems.isEmpty() ? -1 : 0;
    }
    Q_EMIT visibleItemsChanged();
    if (m_selectedID != previous)
        Q_EMIT selectedIDChanged();
}

void HistoryViewModel::updateSelectedIndex() {
    m_selectedIndex = -1;
    if (!m_selectedID)
        return;
    const auto found = std::find_if(m_visibleItems.cbegin(), m_visibleItems.cend(),
                                    [&](const SharedClipItem& item) { return item->id() == *m_selectedID; });
    if (found != m_visibleItems.cend())
        m_selectedIndex = found - m_visibleItems.cbegin();
}

void HistoryViewModel::moveSelection(int step) {
    if (m_visibleItems.isEmpty())
        return;
    const qsizetype current = std::max<qsizetype>(m_selectedIndex, 0);
    const qsizetype next = std::clamp<qsizetype>(current + step, 0, m_visibleItems.size() - 1);
    setSelectedID(m_visibleItems[next]->id());
}

void HistoryViewModel::resetInteraction() {
    // The whole history comes back at once: waiting for the debounce would show the old search's list, with
    // nothing selected, under an empty search field.
    m_debounce->stop();
    const bool queryChanged = !m_query.isEmpty();
    const bool filterChanged = m_filter != HistoryFilter::all;
    m_query.clear();
    m_search = parse(m_query);
    m_filter = HistoryFilter::all;
    setSelectedID(std::nullopt);
    if (queryChanged)
        Q_EMIT this->queryChanged(m_query);
    if (filterChanged)
        Q_EMIT this->filterChanged(m_filter);
    m_debouncedQuery = m_query;
    recompute();
}

} // namespace stowline
