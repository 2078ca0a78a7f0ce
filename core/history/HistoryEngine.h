#pragma once

#include "core/history/HistoryFilter.h"
#include "core/model/ClipItem.h"
#include "core/search/TextFolder.h"

#include <QByteArray>
#include <QList>
#include <QMultiHash>
#include <QSet>
#include <QTimeZone>

#include <memory>
#include <optional>
#include <vector>

namespace stowline {

// The ordered clipboard history and every rule that changes it. History order: favourites first, then the most
// recently used, stable among ties.
//
// A value: copies share the entries until one side changes one, so a copy for a background queue costs one
// pointer per entry. Each entry carries its folded searchable text, computed when the entry arrives or a field
// the text depends on changes, so a search is a scan. Moving one entry shifts pointers instead of sorting.
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
    // Each of these returns whether the history changed.
    bool markUsed(const QUuid& id, Timestamp at);
    bool toggleFavorite(const QUuid& id);
    bool deleteItem(const QUuid& id);
    bool clear(bool keepingFavorites);
    bool removeExpired(Timestamp olderThan);
    bool applyRetention(qint64 days, Timestamp now, const QTimeZone& timeZone = QTimeZone::systemTimeZone());
    bool applyRecognizedText(const QUuid& id, const QString& expectedContentHash, const std::optional<QString>& text,
                             qint64 version);

    QList<ClipItem> filtered(QStringView query, const QSet<ClipKind>& kinds) const;
    QList<ClipItem> filtered(QStringView query, HistoryFilter filter) const;

    const TextFolder& folder() const { return m_folder; }
    // Refolds every entry when the locale's folding rules differ.
    void setFolder(const TextFolder& folder);

    // `now` moved back by `days` calendar days in the time zone, keeping the wall-clock time; none when the date
    // cannot be represented.
    static std::optional<Timestamp> retentionCutoff(qint64 days, Timestamp now, const QTimeZone& timeZone);

private:
    struct Node {
        ClipItem item;
        QByteArray folded;
    };
    using NodePtr = std::shared_ptr<const Node>;

    NodePtr makeNode(ClipItem item) const;
    template <typename Hash, typename Key>
    std::optional<size_t> firstPosition(const Hash& hash, const Key& key) const;
    size_t positionOf(const Node* node) const;
    size_t favoriteCount() const;
    void index(const Node* node);
    void unindex(const Node* node);
    // Puts `node` in place of the entry at `from` (or adds it when `from` is the size) where a stable sort would
    // put it: after its equals when `appended`, otherwise among them by its old position.
    void place(size_t from, NodePtr node, bool appended);
    bool truncate(size_t count);
    void prune(qint64 limit);

    std::vector<NodePtr> m_nodes;
    QMultiHash<QUuid, const Node*> m_byId;
    QMultiHash<QString, const Node*> m_byContentHash;
    TextFolder m_folder;
};

} // namespace stowline
