#pragma once

#include "core/history/HistoryEngine.h"

#include <QObject>

#include <memory>
#include <optional>

namespace stowline {

// The single owner of the history while the application runs: applies every change to it and publishes the
// result to the windows, the monitor and the commands. Knows nothing about files: `HistoryPersistence` listens
// to `changed` and puts the history on disk. Without it, the history lives in memory only. Used on the GUI
// thread only.
class HistoryStore : public QObject {
    Q_OBJECT

public:
    // What kind of change was published, which decides how soon it is saved.
    enum class Change {
        ordinary,
        recognizedText,
        // Clearing, an import or clips merged into a history read late: saved at once.
        wholesale,
    };

    explicit HistoryStore(QObject* parent = nullptr);

    // The history as last published. Materialised on first read after a change: publishing only copies the
    // engine, which shares its entries, so a change costs the same at 100,000 clips as at ten.
    const QList<ClipItem>& items() const;
    // The history as last published, shared: a reader on another thread keeps it alive and never copies it.
    std::shared_ptr<const HistoryEngine> publishedHistory() const { return m_published; }
    std::optional<ClipItem> item(const QUuid& id) const;
    const TextFolder& folder() const { return m_engine.folder(); }

    QUuid capture(ClipItem item, qint64 limit);
    // Entries from outside (an import), brought up to the current rules as stored entries are when loaded, taken
    // in by the history's merge rule.
    HistoryEngine::MergeSummary merge(QList<ClipItem> items, qint64 limit);
    void use(const QUuid& id);
    void toggleFavorite(const QUuid& id);
    void deleteItem(const QUuid& id);
    void clear(ClearScope scope);
    void applyRetention(qint64 days);
    // A lowered history limit, applied now rather than at the next capture.
    void applyHistoryLimit(qint64 limit);
    // True when the clip changed; only then the list is published.
    bool applyRecognizedText(const QUuid& id, const QString& expectedContentHash, const std::optional<QString>& text,
                             qint64 version);

    // The stored history has been read: it becomes the history, with the clips an earlier run kept beside it
    // (`kept`) and then those taken in meanwhile on top of it (then published as a wholesale change). Emits
    // `historyOpened`.
    void adoptStored(HistoryEngine stored, qint64 limit, const QList<ClipItem>& kept = {});
    // Entries found beside the history (in the older layout a protection change reads) go beneath it: content
    // held already keeps its entry. Published as a wholesale change.
    void addBeneath(const QList<ClipItem>& found, qint64 limit);
    // `upgraded` is `snapshot` with the stored entries brought up to the current rules. Changes made since stay;
    // the upgraded fields go into the entries still there. Published, but not as a change: the caller writes it.
    void adoptUpgrade(HistoryEngine upgraded, const std::shared_ptr<const HistoryEngine>& snapshot);

    // The entries of `memory` put onto `base`, oldest first, as captures are taken in; a favourite in `memory`
    // stays one. Touches no store, so it may run on any thread.
    static HistoryEngine mergedOnto(HistoryEngine base, const HistoryEngine& memory, qint64 limit);

Q_SIGNALS:
    void itemsChanged();
    // Clips were deleted, cleared or expired (not pruned by the limit): emitted before the `changed` that
    // publishes it, so the files can be rewritten without them.
    void clipsRemoved();
    // A change was published (after `itemsChanged`).
    void changed(Change change);
    // The stored history has been read and published: at start-up, or later once its key could be reached.
    void historyOpened();
    // Stored entries from older rules have their upgraded fields now.
    void storedEntriesUpgraded();

private:
    void publish();
    void publishChange(Change change);
    void publishRemoval(bool removed, Change change);

    HistoryEngine m_engine;
    std::shared_ptr<const HistoryEngine> m_published = std::make_shared<const HistoryEngine>();
    mutable std::optional<QList<ClipItem>> m_items;
};

} // namespace stowline
