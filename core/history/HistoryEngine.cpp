#include "core/history/HistoryEngine.h"

#include "core/detect/CredentialDetector.h"
#include "core/detect/TextFormatDetector.h"
#include "core/search/SmartSearch.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>

namespace stowline {

namespace {

struct OrderKey {
    bool isFavorite;
    Timestamp lastUsedAt;
};

OrderKey keyOf(const ClipItem& item) {
    return {item.isFavorite(), item.lastUsedAt()};
}

bool before(const OrderKey& a, const OrderKey& b) {
    if (a.isFavorite != b.isFavorite)
        return a.isFavorite;
    return a.lastUsedAt > b.lastUsedAt;
}

// First index in [0, count) for which `pred` is false, given that it is true for a prefix.
template <typename Pred>
size_t partitionPoint(size_t count, Pred pred) {
    size_t low = 0;
    size_t high = count;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (pred(mid))
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

} // namespace

HistoryEngine::HistoryEngine(const QList<ClipItem>& items, const TextFolder& folder) : m_folder(folder) {
    // Sorting plain keys first keeps the sort in cache instead of chasing a pointer per comparison.
    std::vector<std::pair<OrderKey, qsizetype>> order;
    order.reserve(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        order.emplace_back(keyOf(items[i]), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return before(a.first, b.first); });
    const auto block = std::make_shared<const FoldedTextBlock>(items, m_folder);
    m_nodes.reserve(order.size());
    for (const auto& [key, i] : order)
        m_nodes.push_back(std::make_shared<const Node>(Node{items[i], block, i}));
    m_byId.reserve(items.size());
    m_byContentHash.reserve(items.size());
    for (const NodePtr& node : m_nodes)
        index(node.get());
}

QList<ClipItem> HistoryEngine::items() const {
    QList<ClipItem> result;
    result.reserve(size());
    for (const NodePtr& node : m_nodes)
        result.append(node->item);
    return result;
}

const ClipItem* HistoryEngine::item(const QUuid& id) const {
    const auto position = firstPosition(m_byId, id);
    return position ? &m_nodes[*position]->item : nullptr;
}

const ClipItem* HistoryEngine::itemWithContentHash(const QString& contentHash) const {
    const auto position = firstWithContentHash(contentHash);
    return position ? &m_nodes[*position]->item : nullptr;
}

QUuid HistoryEngine::ingest(ClipItem item, qint64 limit) {
    QUuid id = item.id();
    if (const auto position = firstWithContentHash(item.contentHash())) {
        ClipItem merged = m_nodes[*position]->item;
        merged.setLastUsedAt(item.lastUsedAt());
        if (item.credentialClassification() &&
            item.credentialClassification()->detectorVersion == CredentialDetector::currentVersion)
            merged.setCredentialClassification(item.credentialClassification());
        if (item.textFormatVersion() == TextFormatDetector::currentVersion) {
            merged.setTextFormat(item.textFormat());
            merged.setTextFormatVersion(TextFormatDetector::currentVersion);
        }
        id = merged.id();
        place(*position, makeNode(std::move(merged), *m_nodes[*position]), true);
    } else {
        place(m_nodes.size(), makeNode(std::move(item)), true);
    }
    applyLimit(limit);
    return id;
}

HistoryEngine::MergeSummary HistoryEngine::merge(QList<ClipItem> items, qint64 limit) {
    MergeSummary summary;
    const qsizetype before = size();
    for (qsizetype i = 0; i < items.size(); ++i) {
        ClipItem& item = items[i];
        if (const ClipItem* held = itemWithContentHash(item.contentHash())) {
            if (held->lastUsedAt() > item.lastUsedAt())
                item.setLastUsedAt(held->lastUsedAt());
            ++summary.mergedCount;
        } else {
            ++summary.addedCount;
        }
        // The limit applies once, to the whole merged history: pruning after every entry would drop held
        // entries that a later copy of the same content should have merged into.
        ingest(std::move(item), i + 1 == items.size() ? limit : 0);
        ++summary.importedCount;
    }
    summary.historyCount = size();
    summary.removedByLimitCount = before + summary.addedCount - summary.historyCount;
    return summary;
}

bool HistoryEngine::markUsed(const QUuid& id, Timestamp at) {
    const auto position = firstPosition(m_byId, id);
    if (!position || m_nodes[*position]->item.lastUsedAt() == at)
        return false;
    ClipItem used = m_nodes[*position]->item;
    used.setLastUsedAt(at);
    place(*position, makeNode(std::move(used), *m_nodes[*position]), false);
    return true;
}

bool HistoryEngine::toggleFavorite(const QUuid& id) {
    const auto position = firstPosition(m_byId, id);
    if (!position)
        return false;
    ClipItem toggled = m_nodes[*position]->item;
    toggled.setIsFavorite(!toggled.isFavorite());
    place(*position, makeNode(std::move(toggled), *m_nodes[*position]), false);
    return true;
}

bool HistoryEngine::deleteItem(const QUuid& id) {
    std::vector<size_t> positions;
    m_byId.forEach(id, [&](const Node* node) { positions.push_back(positionOf(node)); });
    std::sort(positions.rbegin(), positions.rend());
    for (size_t position : positions) {
        unindex(m_nodes[position].get());
        m_nodes.erase(m_nodes.begin() + qsizetype(position));
    }
    return !positions.empty();
}

bool HistoryEngine::clear(ClearScope scope) {
    return truncate(scope == ClearScope::keepingFavorites ? favoriteCount() : 0);
}

bool HistoryEngine::removeExpired(Timestamp olderThan) {
    // Non-favourites are ordered by descending last use, so the expired ones are the tail of the list.
    const size_t favorites = favoriteCount();
    const size_t kept = favorites + partitionPoint(m_nodes.size() - favorites, [&](size_t i) {
                            return !(m_nodes[favorites + i]->item.lastUsedAt() < olderThan);
                        });
    return truncate(kept);
}

bool HistoryEngine::applyRetention(qint64 days, Timestamp now, const QTimeZone& timeZone) {
    if (days < 1)
        return false;
    const std::optional<Timestamp> cutoff = retentionCutoff(days, now, timeZone);
    return cutoff && removeExpired(*cutoff);
}

std::optional<Timestamp> HistoryEngine::retentionCutoff(qint64 days, Timestamp now, const QTimeZone& timeZone) {
    // QDateTime holds milliseconds; keep anything finer from `now` so the cut-off is exact.
    constexpr double representableSeconds = 9e15 / 1000.0;
    if (!std::isfinite(now.seconds) || std::abs(now.seconds) > representableSeconds || !timeZone.isValid())
        return std::nullopt;
    const QDateTime local = now.toDateTime().toTimeZone(timeZone);
    const double finer = now.seconds - Timestamp::fromDateTime(local).seconds;
    qint64 julianDay = 0;
    if (qSubOverflow(local.date().toJulianDay(), days, &julianDay))
        return std::nullopt;
    const QDate date = QDate::fromJulianDay(julianDay);
    const QDateTime shifted(date, local.time(), timeZone);
    // Beyond the range QDateTime can hold the date does not survive the round trip.
    if (!date.isValid() || !shifted.isValid() || shifted.date() != date)
        return std::nullopt;
    return Timestamp::fromDateTime(shifted).addingSeconds(finer);
}

bool HistoryEngine::applyRecognizedText(const QUuid& id, const QString& expectedContentHash,
                                        const std::optional<QString>& text, qint64 version) {
    const auto position = firstPosition(m_byId, id);
    if (!position)
        return false;
    const ClipItem& current = m_nodes[*position]->item;
    if (current.kind() != ClipKind::image || !current.hasContentHash(expectedContentHash))
        return false;
    if (current.recognizedText() == text && current.textRecognitionVersion() == version)
        return false;
    ClipItem recognized = current;
    recognized.setRecognizedText(text);
    recognized.setTextRecognitionVersion(version);
    NodePtr node = makeNode(std::move(recognized), *m_nodes[*position]);
    unindex(m_nodes[*position].get());
    index(node.get());
    m_nodes[*position] = std::move(node);
    return true;
}

bool HistoryEngine::applyUpgradedFields(const HistoryEngine& upgraded) {
    QHash<QUuid, const ClipItem*> byId;
    byId.reserve(upgraded.size());
    for (const NodePtr& node : upgraded.m_nodes)
        byId.insert(node->item.id(), &node->item);
    bool changed = false;
    for (NodePtr& node : m_nodes) {
        const ClipItem* fresh = byId.value(node->item.id());
        if (!fresh)
            continue;
        const ClipItem& current = node->item;
        const bool metadata =
            fresh->contentMetadataVersion() && current.contentMetadataVersion() != fresh->contentMetadataVersion();
        const auto& credential = fresh->credentialClassification();
        const bool classification =
            credential && (!current.credentialClassification() ||
                           current.credentialClassification()->detectorVersion != credential->detectorVersion);
        if (!metadata && !classification)
            continue;
        ClipItem item = current;
        if (metadata) {
            item.setCapturedFileSizeBytes(fresh->capturedFileSizeBytes());
            item.setImagePixelWidth(fresh->imagePixelWidth());
            item.setImagePixelHeight(fresh->imagePixelHeight());
            item.setContentMetadataVersion(fresh->contentMetadataVersion());
        }
        if (classification)
            item.setCredentialClassification(credential);
        replaceInPlace(node, std::move(item));
        changed = true;
    }
    return changed;
}

std::optional<bool> HistoryEngine::upgradeEach(const std::function<bool(ClipItem&)>& upgrade,
                                               const std::atomic<bool>& stopped) {
    bool changed = false;
    for (NodePtr& node : m_nodes) {
        if (stopped.load(std::memory_order_relaxed))
            return std::nullopt;
        ClipItem item = node->item;
        if (!upgrade(item))
            continue;
        replaceInPlace(node, std::move(item));
        changed = true;
    }
    return changed;
}

void HistoryEngine::replaceInPlace(NodePtr& node, ClipItem item) {
    // Same id and content: the indexes point at the new node where they pointed at the old one, which spares a
    // removal and an insertion in each for nearly every entry.
    NodePtr replaced = makeNode(std::move(item), *node);
    m_byId.replace(replaced->item.id(), node.get(), replaced.get());
    m_byContentHash.replace(replaced->item.contentHashFingerprint(), node.get(), replaced.get());
    node = std::move(replaced);
}

QList<ClipItem> HistoryEngine::filtered(QStringView query, HistoryFilter filter) const {
    QList<ClipItem> result;
    forEachMatch(
        SmartSearch(query, m_folder), [&](const ClipItem& item) { return passes(filter, item); },
        [&](const NodePtr& node) { result.append(node->item); });
    return result;
}

QList<SharedClipItem> HistoryEngine::sharedFiltered(const SmartSearch& search, HistoryFilter filter) const {
    QList<SharedClipItem> result;
    if (filter == HistoryFilter::all && search.isEmpty())
        result.reserve(size());
    forEachMatch(
        search, [&](const ClipItem& item) { return passes(filter, item); },
        // Shares the node's ownership while pointing at its entry.
        [&](const NodePtr& node) { result.append(SharedClipItem(node, &node->item)); });
    return result;
}

void HistoryEngine::foldSearchableText() const {
    const FoldedTextBlock* block = nullptr;
    for (const NodePtr& node : m_nodes) {
        if (node->folded.get() == block)
            continue;
        block = node->folded.get();
        (void)block->text(0);
    }
}

void HistoryEngine::forEachMatch(const SmartSearch& search, const std::function<bool(const ClipItem&)>& accepts,
                                 const std::function<void(const NodePtr&)>& found) const {
    // Entries of one block mostly follow each other, so the last block's flags are kept at hand.
    const FoldedTextBlock* block = nullptr;
    std::vector<bool> blockMatches;
    for (const NodePtr& node : m_nodes) {
        if (!accepts(node->item))
            continue;
        bool matched = search.isEmpty();
        if (!matched && node->folded->size() == 1) {
            matched = search.matchesFolded(node->folded->text(0));
        } else if (!matched) {
            if (node->folded.get() != block) {
                block = node->folded.get();
                blockMatches = block->matching(search);
            }
            matched = blockMatches[size_t(node->foldedIndex)];
        }
        if (matched)
            found(node);
    }
}

void HistoryEngine::setFolder(const TextFolder& folder) {
    if (folder == m_folder)
        return;
    m_folder = folder;
    QList<ClipItem> current = items();
    const auto block = std::make_shared<const FoldedTextBlock>(current, m_folder);
    for (qsizetype i = 0; i < current.size(); ++i) {
        NodePtr& node = m_nodes[size_t(i)];
        NodePtr refolded = std::make_shared<const Node>(Node{current.at(i), block, i});
        unindex(node.get());
        index(refolded.get());
        node = std::move(refolded);
    }
}

HistoryEngine::NodePtr HistoryEngine::makeNode(ClipItem item) const {
    auto block = std::make_shared<const FoldedTextBlock>(QList<ClipItem>{item}, m_folder);
    return std::make_shared<const Node>(Node{std::move(item), std::move(block), 0});
}

HistoryEngine::NodePtr HistoryEngine::makeNode(ClipItem item, const Node& previous) const {
    if (searchableTexts(item) != searchableTexts(previous.item))
        return makeNode(std::move(item));
    return std::make_shared<const Node>(Node{std::move(item), previous.folded, previous.foldedIndex});
}

template <typename Key>
void HistoryEngine::Index<Key>::reserve(qsizetype size) {
    for (Shard& shard : m_shards)
        shard.first.reserve(size / qsizetype(m_shards.size()) + 1);
}

template <typename Key>
void HistoryEngine::Index<Key>::insert(const Key& key, const Node* node) {
    Shard& s = shard(key);
    const Node*& first = s.first[key];
    if (first)
        s.others.insert(key, node);
    else
        first = node;
}

template <typename Key>
void HistoryEngine::Index<Key>::remove(const Key& key, const Node* node) {
    Shard& s = shard(key);
    const auto first = s.first.constFind(key);
    if (first == s.first.cend())
        return;
    if (first.value() != node) {
        s.others.remove(key, node);
        return;
    }
    const auto other = s.others.constFind(key);
    if (other == s.others.cend()) {
        s.first.remove(key);
        return;
    }
    const Node* promoted = other.value();
    s.others.remove(key, promoted);
    s.first.insert(key, promoted);
}

template <typename Key>
void HistoryEngine::Index<Key>::replace(const Key& key, const Node* old, const Node* node) {
    Shard& s = shard(key);
    const auto first = s.first.find(key);
    if (first == s.first.end())
        return;
    if (first.value() == old) {
        first.value() = node;
        return;
    }
    auto [begin, end] = s.others.equal_range(key);
    for (auto it = begin; it != end; ++it) {
        if (it.value() == old) {
            it.value() = node;
            return;
        }
    }
}

template <typename Key>
template <typename Visit>
void HistoryEngine::Index<Key>::forEach(const Key& key, Visit visit) const {
    const Shard& s = shard(key);
    const auto first = s.first.constFind(key);
    if (first == s.first.cend())
        return;
    visit(first.value());
    const auto [begin, end] = s.others.equal_range(key);
    for (auto it = begin; it != end; ++it)
        visit(it.value());
}

template <typename Key>
std::optional<size_t> HistoryEngine::firstPosition(const Index<Key>& index, const Key& key) const {
    std::optional<size_t> first;
    index.forEach(key, [&](const Node* node) {
        const size_t position = positionOf(node);
        if (!first || position < *first)
            first = position;
    });
    return first;
}

std::optional<size_t> HistoryEngine::firstWithContentHash(QStringView contentHash) const {
    std::optional<size_t> first;
    m_byContentHash.forEach(ClipItem::contentHashFingerprint(contentHash), [&](const Node* node) {
        if (!node->item.hasContentHash(contentHash))
            return;
        const size_t position = positionOf(node);
        if (!first || position < *first)
            first = position;
    });
    return first;
}

size_t HistoryEngine::positionOf(const Node* node) const {
    // The list is ordered, so the entry lies among those with its key; usually that range holds just the one.
    const OrderKey key = keyOf(node->item);
    size_t position = partitionPoint(m_nodes.size(), [&](size_t i) { return before(keyOf(m_nodes[i]->item), key); });
    while (m_nodes[position].get() != node)
        ++position;
    return position;
}

size_t HistoryEngine::favoriteCount() const {
    return partitionPoint(m_nodes.size(), [&](size_t i) { return m_nodes[i]->item.isFavorite(); });
}

void HistoryEngine::index(const Node* node) {
    m_byId.insert(node->item.id(), node);
    m_byContentHash.insert(node->item.contentHashFingerprint(), node);
}

void HistoryEngine::unindex(const Node* node) {
    m_byId.remove(node->item.id(), node);
    m_byContentHash.remove(node->item.contentHashFingerprint(), node);
}

void HistoryEngine::place(size_t from, NodePtr node, bool appended) {
    const bool replacing = from < m_nodes.size();
    const size_t remaining = replacing ? m_nodes.size() - 1 : m_nodes.size();
    // Index into the list as it is without the entry at `from`.
    const auto remainingAt = [&](size_t i) -> const ClipItem& { return m_nodes[i < from ? i : i + 1]->item; };
    const OrderKey key = keyOf(node->item);
    const size_t low = partitionPoint(remaining, [&](size_t i) { return before(keyOf(remainingAt(i)), key); });
    const size_t high = partitionPoint(remaining, [&](size_t i) { return !before(key, keyOf(remainingAt(i))); });
    const size_t to = appended ? high : std::clamp(from, low, high);

    if (replacing)
        unindex(m_nodes[from].get());
    index(node.get());
    if (!replacing) {
        m_nodes.insert(m_nodes.begin() + qsizetype(to), std::move(node));
        return;
    }
    const auto begin = m_nodes.begin();
    if (to < from)
        std::move_backward(begin + qsizetype(to), begin + qsizetype(from), begin + qsizetype(from) + 1);
    else if (to > from)
        std::move(begin + qsizetype(from) + 1, begin + qsizetype(to) + 1, begin + qsizetype(from));
    m_nodes[to] = std::move(node);
}

bool HistoryEngine::truncate(size_t count) {
    if (count >= m_nodes.size())
        return false;
    for (size_t i = count; i < m_nodes.size(); ++i)
        unindex(m_nodes[i].get());
    m_nodes.resize(count);
    return true;
}

size_t HistoryEngine::keptByLimit(qint64 limit) const {
    if (limit < 1)
        return m_nodes.size();
    // Favourites lead the list and are all kept; the rest fill what the limit leaves.
    return std::max(favoriteCount(), size_t(limit));
}

bool HistoryEngine::applyLimit(qint64 limit) {
    return truncate(keptByLimit(limit));
}

qsizetype HistoryEngine::countBeyondLimit(qint64 limit) const {
    return qsizetype(m_nodes.size() - std::min(m_nodes.size(), keptByLimit(limit)));
}

} // namespace stowline
