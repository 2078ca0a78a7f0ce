#pragma once

#include "app/archive/EncryptedArchiveStore.h"
#include "app/concurrency/SerialQueue.h"
#include "app/store/UserMessage.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/history/HistoryEngine.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace stowline {

// The single owner of the history while the application runs: publishes the entries, saves them to the
// encrypted archive on the save queue after a short debounce, and moves the archive between protection modes.
// Everything but the save queue's work runs on the thread that created it.
class ClipboardStore : public QObject {
    Q_OBJECT

public:
    static constexpr double saveDelaySeconds = 0.2;
    static constexpr double recognizedTextSaveDelaySeconds = 1.0;
    // While a history that exists could not be opened, opening is tried again this often.
    static constexpr int reopenIntervalMilliseconds = 30'000;

    static UserMessage unreadableArchiveMessage();
    static UserMessage saveFailedMessage();
    static UserMessage historyNotOpenMessage();
    static UserMessage archiveNotMovedMessage();
    static UserMessage keyFileInvalidMessage();
    static UserMessage keyringKeyInvalidMessage();
    static UserMessage keyringFailedMessage();
    static UserMessage fileUnreadableMessage(const QString& path);

    enum class Persistence { enabled, memoryOnly };
    // When the next save of a published change starts.
    enum class SaveTiming { afterDebounce, afterRecognizedTextDebounce, immediately };

    // A memory-only store loads and saves nothing, and `archive` may be null. A stored history is read
    // on the save queue: it is published and `historyOpened` is emitted when it is there; until then the store
    // holds what is captured meanwhile and merges it in. Stored entries that older rules produced are upgraded
    // after that, on a queue of their own (".upgrade"), and written once.
    ClipboardStore(std::unique_ptr<EncryptedArchiveStore> archive, ArchiveProtectionMode protectionMode,
                   Persistence persistence, QObject* parent = nullptr);
    // Writes any change still waiting for its debounce before the history goes away.
    ~ClipboardStore() override;

    // The history as last published. Materialised on first read after a change: publishing only copies the
    // engine, which shares its entries, so a change costs the same at 100,000 clips as at ten.
    const QList<ClipItem>& items() const;
    // The history as last published, shared: a reader on another thread keeps it alive and never copies it.
    std::shared_ptr<const HistoryEngine> publishedHistory() const { return m_published; }
    const std::optional<UserMessage>& lastError() const { return m_lastError; }
    void setLastError(std::optional<UserMessage> message);
    // Clears the message only when it is of `kind`; any other message stays.
    void clearLastError(UserMessage::Kind kind);
    bool isChangingProtection() const { return m_isChangingProtection; }
    qint64 archiveDiskBytes() const { return m_archiveDiskBytes; }
    ArchiveProtectionMode protectionMode() const { return m_protectionMode; }
    // False while the stored history is being read, and while an archive that exists could not be opened (its key
    // was out of reach); clips captured meanwhile are kept and merged into it once it opens.
    bool isHistoryOpen() const { return m_historyOpen; }
    // True while the stored history is being read; `openingFinished` follows.
    bool isOpening() const { return m_opening; }

    std::optional<ClipItem> item(const QUuid& id) const;
    // The history limit used when clips held in memory are merged into an archive that opened late or into the
    // result of a protection change.
    void setHistoryLimitProvider(std::function<qint64()> provider) { m_historyLimit = std::move(provider); }

    QUuid capture(ClipItem item, qint64 limit);
    // Entries from outside (an import), brought up to the current rules as stored entries are when loaded, taken
    // in by the history's merge rule; the result is saved at once.
    HistoryEngine::MergeSummary merge(QList<ClipItem> items, qint64 limit);
    void use(const QUuid& id);
    void toggleFavorite(const QUuid& id);
    void deleteItem(const QUuid& id);
    void clear(ClearScope scope);
    void applyRetention(qint64 days);
    // True when the clip changed; only then the list is published and saved (after the longer delay).
    bool applyRecognizedText(const QUuid& id, const QString& expectedContentHash, const std::optional<QString>& text,
                             qint64 version);

    void publishAndSave(SaveTiming timing);

    using ProtectionCompletion = std::function<void(Status<ArchiveStoreError>)>;
    // Changes made while the move runs are kept: they are merged onto its result, and saves scheduled meanwhile
    // wait for it. A request while a move runs fails with `protectionChangeInProgress`.
    void changeProtection(ArchiveProtectionMode to, ProtectionCompletion completion);

    // Runs a save still waiting for its debounce and waits until the queues have finished their work, the
    // upgrade of stored entries included.
    void flush();
    // Waits for the saves already handed to the save queue, leaving one that waits for its debounce waiting.
    void waitForQueuedSaves() {
        m_saveQueue.waitUntilIdle();
        m_saveQueue.deliverResults();
    }
    // At quit: gives up an upgrade of stored entries still running (the next start makes it again), flushes,
    // then folds the journal of changes into a rewritten archive (on the save queue) and waits for it.
    void compact();

Q_SIGNALS:
    void itemsChanged();
    void lastErrorChanged();
    void isChangingProtectionChanged();
    void archiveDiskBytesChanged();
    // The stored history has been read and published: at start-up, or later once its key could be reached.
    void historyOpened();
    // A reading of the stored history has ended, whether the history opened or not.
    void openingFinished();
    // Stored entries from older rules have their upgraded fields now (published, and written once).
    void storedEntriesUpgraded();

private:
    struct StoredHistory {
        HistoryEngine history;
        qint64 diskBytes = 0;
    };
    using Opened = Result<StoredHistory, ArchiveLoadError>;

    void openStoredHistory();
    void finishOpening(Opened opened);
    void adopt(HistoryEngine stored, bool startedFresh);
    void upgradeStoredEntries();
    void publish();
    void setArchiveDiskBytes(qint64 bytes);
    void enqueueSave(HistoryEngine history);
    void historyStillClosed(const ArchiveLoadError& error);
    static UserMessage messageFor(const ArchiveLoadError& error);

    std::unique_ptr<EncryptedArchiveStore> m_archive;
    HistoryEngine m_engine;
    std::shared_ptr<const HistoryEngine> m_published = std::make_shared<const HistoryEngine>();
    mutable std::optional<QList<ClipItem>> m_items;
    std::optional<UserMessage> m_lastError;
    bool m_isChangingProtection = false;
    qint64 m_archiveDiskBytes = 0;
    ArchiveProtectionMode m_protectionMode;
    // The mode saves on the queue write with; a migration switches it on the queue, so a save scheduled after
    // a migration never recreates the archive the migration removed.
    std::atomic<ArchiveProtectionMode> m_queueMode;
    bool m_persistenceEnabled;
    bool m_historyOpen = true;
    bool m_opening = false;
    std::optional<ArchiveLoadError> m_openError;
    // A save was asked for while a protection change ran; it is made once the change has ended.
    bool m_saveAfterProtectionChange = false;
    QTimer m_pendingSave;
    std::optional<HistoryEngine> m_pendingHistory;
    // The history as the archive and its journal hold it, so the next save writes only the change. Touched on
    // the save queue only; absent when unknown (the next save then rewrites the archive).
    std::optional<HistoryEngine> m_onDisk;
    QTimer m_reopen;
    std::function<qint64()> m_historyLimit = [] { return qint64(0); };
    std::atomic<bool> m_upgradeStopped = false;
    // Last, so their jobs and results never outlive the members they read.
    SerialQueue m_upgradeQueue;
    SerialQueue m_saveQueue;
};

} // namespace stowline
