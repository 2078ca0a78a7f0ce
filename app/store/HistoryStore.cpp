#include "app/store/HistoryStore.h"

#include "core/history/StoredClipUpgrade.h"

namespace stowline {

// Oldest first so that among equal times the newer one ends up on top as it was.
HistoryEngine HistoryStore::mergedOnto(HistoryEngine merged, const HistoryEngine& memory, qint64 limit) {
    const QList<ClipItem> held = memory.items();
    for (auto it = held.crbegin(); it != held.crend(); ++it) {
        const QUuid id = merged.ingest(*it, limit);
        const ClipItem* stored = merged.item(id);
        if (it->isFavorite() && stored && !stored->isFavorite())
            merged.toggleFavorite(id);
    }
    return merged;
}

HistoryStore::HistoryStore(QObject* parent) : QObject(parent) {}

std::optional<ClipItem> HistoryStore::item(const QUuid& id) const {
    if (const ClipItem* found = m_engine.item(id))
        return *found;
    return std::nullopt;
}

const QList<ClipItem>& HistoryStore::items() const {
    if (!m_items)
        m_items = m_published->items();
    return *m_items;
}

QUuid HistoryStore::capture(ClipItem item, qint64 limit) {
    const QUuid id = m_engine.ingest(std::move(item), limit);
    publishChange(Change::ordinary);
    return id;
}

HistoryEngine::MergeSummary HistoryStore::merge(QList<ClipItem> items, qint64 limit) {
    const HistoryEngine::MergeSummary summary = m_engine.merge(upgradeStoredClips(std::move(items)).items, limit);
    publishChange(Change::wholesale);
    return summary;
}

void HistoryStore::use(const QUuid& id) {
    m_engine.markUsed(id, Timestamp::now());
    publishChange(Change::ordinary);
}

void HistoryStore::toggleFavorite(const QUuid& id) {
    m_engine.toggleFavorite(id);
    publishChange(Change::ordinary);
}

void HistoryStore::deleteItem(const QUuid& id) {
    publishRemoval(m_engine.deleteItem(id), Change::ordinary);
}

void HistoryStore::clear(ClearScope scope) {
    publishRemoval(m_engine.clear(scope), Change::wholesale);
}

void HistoryStore::applyRetention(qint64 days) {
    publishRemoval(m_engine.applyRetention(days, Timestamp::now()), Change::ordinary);
}

void HistoryStore::applyHistoryLimit(qint64 limit) {
    if (m_engine.applyLimit(limit))
        publishChange(Change::ordinary);
}

bool HistoryStore::applyRecognizedText(const QUuid& id, const QString& expectedContentHash,
                                       const std::optional<QString>& text, qint64 version) {
    if (!m_engine.applyRecognizedText(id, expectedContentHash, text, version))
        return false;
    publishChange(Change::recognizedText);
    return true;
}

void HistoryStore::adoptStored(HistoryEngine stored, qint64 limit, const QList<ClipItem>& kept) {
    // Clips taken in while the history was not open yet go on top of it, those of this run the newest.
    if (!kept.isEmpty())
        m_engine = mergedOnto(HistoryEngine(kept, m_engine.folder()), m_engine, limit);
    const bool held = !m_engine.isEmpty();
    m_engine = held ? mergedOnto(std::move(stored), m_engine, limit) : std::move(stored);
    if (held)
        publishChange(Change::wholesale);
    else
        publish();
    Q_EMIT historyOpened();
}

void HistoryStore::addBeneath(const QList<ClipItem>& found, qint64 limit) {
    m_engine = mergedOnto(HistoryEngine(found, m_engine.folder()), m_engine, limit);
    publishChange(Change::wholesale);
}

void HistoryStore::adoptUpgrade(HistoryEngine upgraded, const std::shared_ptr<const HistoryEngine>& snapshot) {
    if (m_published == snapshot)
        m_engine = std::move(upgraded);
    else
        m_engine.applyUpgradedFields(upgraded);
    publish();
    Q_EMIT storedEntriesUpgraded();
}

void HistoryStore::publish() {
    m_published = std::make_shared<const HistoryEngine>(m_engine);
    m_items.reset();
    Q_EMIT itemsChanged();
}

void HistoryStore::publishChange(Change change) {
    publish();
    Q_EMIT changed(change);
}

void HistoryStore::publishRemoval(bool removed, Change change) {
    if (removed)
        Q_EMIT clipsRemoved();
    publishChange(change);
}

} // namespace stowline
