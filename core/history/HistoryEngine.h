#pragma once

#include "core/history/HistoryFilter.h"
#include "core/model/ClipItem.h"
#include "core/search/FoldedTextBlock.h"
#include "core/search/TextFolder.h"

#include <QByteArray>
#include <QList>
#include <QMultiHash>
#include <QTimeZone>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace stowline {

class SmartSearch;

enum class ClearScope { keepingFavorites, everything };

// An entry shared with the history that holds it: handing one out copies a pointer, not the entry.
using SharedClipItem = std::shared_ptr<const ClipItem>;

// The ordered clipboard history and every rule that changes it. History order: favourites first, then the most
// recently used, stable among ties.
//
// A value: copies share the entries until one side changes one, so a copy for a background queue costs one
// pointer per entry, and the lookup tables are split so a change after copying copies only a small part.
// Each entry refers to its folded searchable text in a block shared with the entries that arrived with it; the
// block folds on the first search, not when the history is built, and a search scans each block's buffer.
// Moving one entry shifts pointers instead of sorting.
class HistoryEngine {
public:
    explicit HistoryEngine(const QList<ClipItem>& items = {}, const TextFolder& folder = TextFolder());

    QList<ClipItem> items() const;
    qsizetype size() const { return qsizetype(m_nodes.size()); }
    bool isEmpty() const { return m_nodes.empty(); }
    const ClipItem& at(qsizetype index) const { return m_nodes[size_t(index)]->item; }
    // The first entry in history order with that id or content hash, or null.
    const ClipItem* item(const QUuid& id) const;
    const ClipItem* itemWithContentHash(const QString& contentHash) const;

    // Returns the id under which the content now lives; it may name an entry that pruning just removed.
    QUuid ingest(ClipItem item, qint64 limit);
    struct MergeSummary {
        qsizetype importedCount = 0;
        // Entries whose content was not in the history yet.
        qsizetype addedCount = 0;
        // Entries merged into an entry of the same content.
        qsizetype mergedCount = 0;
        // Entries the limit dropped, from the history or from the ones taken in.
        qsizetype removedByLimitCount = 0;
        qsizetype historyCount = 0;
    };
    // Takes `items` in one by one as captures are taken in, then prunes to `limit` (below 1: no limit). An entry
    // already held keeps the later of its two last-use times, so an old backup does not push back entries used
    // since.
    MergeSummary merge(QList<ClipItem> items, qint64 limit);
    // Each of these returns whether the history changed.
    bool markUsed(const QUuid& id, Timestamp at);
    bool toggleFavorite(const QUuid& id);
    bool deleteItem(const QUuid& id);
    bool clear(ClearScope scope);
    bool removeExpired(Timestamp olderThan);
    bool applyRetention(qint64 days, Timestamp now, const QTimeZone& timeZone = QTimeZone::systemTimeZone());
    // Prunes to `limit` now, as a capture would (below 1: no limit).
    bool applyLimit(qint64 limit);
    // How many entries `applyLimit` would remove.
    qsizetype countBeyondLimit(qint64 limit) const;
    bool applyRecognizedText(const QUuid& id, const QString& expectedContentHash, const std::optional<QString>& text,
                             qint64 version);
    // Takes the capture metadata and the credential classification of each entry of `upgraded` into the entry
    // with the same id, where that entry still holds them from other rule versions; the rest of the entry (use,
    // favourite, recognised text) stays as it is now. Returns whether any entry changed.
    bool applyUpgradedFields(const HistoryEngine& upgraded);
    // Lets `upgrade` change each entry in place (it returns whether it did) without touching its id, content, use
    // or favourite, so no entry moves. Gives up, returning nothing, once `stopped` reads true between two entries;
    // otherwise returns whether any entry changed.
    std::optional<bool> upgradeEach(const std::function<bool(ClipItem&)>& upgrade, const std::atomic<bool>& stopped);

    QList<ClipItem> filtered(QStringView query, HistoryFilter filter = HistoryFilter::all) const;
    // The entries that pass the filter and satisfy the search (parsed with `folder()`), shared with this
    // history, so a search over a large history copies no entry.
    QList<SharedClipItem> sharedFiltered(const SmartSearch& search, HistoryFilter filter) const;
    // Folds every entry's searchable text now, so the first search costs no more than the later ones.
    void foldSearchableText() const;

    const TextFolder& folder() const { return m_folder; }
    // Refolds every entry when the locale's folding rules differ.
    void setFolder(const TextFolder& folder);

    // `now` moved back by `days` calendar days in the time zone, keeping the wall-clock time; none when the date
    // cannot be represented.
    static std::optional<Timestamp> retentionCutoff(qint64 days, Timestamp now, const QTimeZone& timeZone);

private:
    struct Node {
        ClipItem item;
        std::shared_ptr<const FoldedTextBlock> folded;
        qsizetype foldedIndex = 0;
    };
    using NodePtr = std::shared_ptr<const Node>;

    // Entries by key, in shards that are each shared until changed, so a change after copying copies a small
    // part. Keys are nearly always unique, so the first entry for a key lives in a flat hash and only further
    // ones take a multi-hash.
    template <typename Key>
    class Index {
    public:
        void reserve(qsizetype size);
        void insert(const Key& key, const Node* node);
        void remove(const Key& key, const Node* node);
        void replace(const Key& key, const Node* old, const Node* node);
        template <typename Visit>
        void forEach(const Key& key, Visit visit) const;

    private:
        struct Shard {
            QHash<Key, const Node*> first;
            QMultiHash<Key, const Node*> others;
        };
        Shard& shard(const Key& key) { return m_shards[qHash(key) % m_shards.size()]; }
        const Shard& shard(const Key& key) const { return m_shards[qHash(key) % m_shards.size()]; }
        std::array<Shard, 1024> m_shards;
    };

    NodePtr makeNode(ClipItem item) const;
    // Puts `item`, with the id, content and place of `node`'s entry, in its place.
    void replaceInPlace(NodePtr& node, ClipItem item);
    // Keeps the folded text of `previous` when the searchable texts are the same.
    NodePtr makeNode(ClipItem item, const Node& previous) const;
    // Calls `found` with each entry, in order, that `accepts` and the search match.
    void forEachMatch(const SmartSearch& search, const std::function<bool(const ClipItem&)>& accepts,
                      const std::function<void(const NodePtr&)>& found) const;
    template <typename Key>
    std::optional<size_t> firstPosition(const Index<Key>& index, const Key& key) const;
    std::optional<size_t> firstWithContentHash(QStringView contentHash) const;
    size_t positionOf(const Node* node) const;
    size_t favoriteCount() const;
    void index(const Node* node);
    void unindex(const Node* node);
    // Puts `node` in place of the entry at `from` (or adds it when `from` is the size) where a stable sort would
    // put it: after its equals when `appended`, otherwise among them by its old position.
    void place(size_t from, NodePtr node, bool appended);
    bool truncate(size_t count);
    size_t keptByLimit(qint64 limit) const;

    std::vector<NodePtr> m_nodes;
    Index<QUuid> m_byId;
    // By the hash's fingerprint, so the index holds no copy of the hash; entries whose fingerprints agree are told
    // apart by the hash itself.
    Index<quint64> m_byContentHash;
    TextFolder m_folder;
};

} // namespace stowline
