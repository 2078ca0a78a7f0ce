#pragma once

#include "app/archive/EncryptedArchiveStore.h"
#include "app/concurrency/SerialQueue.h"
#include "app/store/HistoryStore.h"
#include "core/archive/ArchiveProtectionMode.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace stowline {

class Notices;
enum class Notice;

// Keeps the history store's history on disk: reads the stored history (and tries again while it cannot be
// opened), saves each published change on the save queue after a short debounce (but within a second of the
// first unsaved change), retries a save that failed, rewrites the archive without clips that were deleted,
// keeps clips taken in while the history cannot be opened beside it, upgrades stored entries on a queue of its
// own, moves the archive between protection modes and publishes the size on disk. Its failures go to the
// notices. Everything but the queues' work runs on the thread that created it.
class HistoryPersistence : public QObject {
    Q_OBJECT

public:
    static constexpr double saveDelaySeconds = 0.2;
    static constexpr double recognizedTextSaveDelaySeconds = 1.0;
    // However fast changes come, the first one not on disk yet is saved within this time.
    static constexpr double longestSaveDelaySeconds = 1.0;
    // A save that failed is tried again this often (and with every change, and at quit).
    static constexpr int saveRetryIntervalMilliseconds = 10'000;
    // While a history that exists could not be opened, opening is tried again this often.
    static constexpr int reopenIntervalMilliseconds = 30'000;

    // The stored history of `protectionMode` is read on the save queue and handed to `history` when it is there;
    // until then `history` holds what is captured meanwhile and merges it in. Stored entries that older rules
    // produced are upgraded after that, on a queue of their own (".upgrade"), and written once. All references
    // must outlive this object.
    HistoryPersistence(HistoryStore& history, Notices& notices, std::unique_ptr<EncryptedArchiveStore> archive,
                       ArchiveProtectionMode protectionMode, QObject* parent = nullptr);
    // Writes any change still waiting for its debounce before the history goes away.
    ~HistoryPersistence() override;

    // What is not on disk, for a quit to say before it loses it.
    struct Unsaved {
        // Clips taken in while the history could not be opened and that could not be kept in its folder either;
        // 0 when what is missing is changes to an open history.
        qsizetype heldClips = 0;
        // Why, in one line, naming the file or folder.
        QString reason;

        // What a quit would lose, in one line without a final full stop.
        QString describe() const;
    };

    bool isChangingProtection() const { return m_isChangingProtection; }
    qint64 archiveDiskBytes() const { return m_archiveDiskBytes; }
    ArchiveProtectionMode protectionMode() const { return m_protectionMode; }
    // False while the stored history is being read, and while an archive that exists could not be opened (its key
    // was out of reach); clips captured meanwhile are kept and merged into it once it opens.
    bool isHistoryOpen() const { return m_historyOpen; }
    // True while the stored history is being read; `openingFinished` follows.
    bool isOpening() const { return m_opening; }

    // The history limit used when clips held in memory are merged into an archive that opened late or into the
    // result of a protection change.
    void setHistoryLimitProvider(std::function<qint64()> provider) { m_historyLimit = std::move(provider); }

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
    // tries once more a save that failed, then folds the journal of changes into a rewritten archive (on the save
    // queue) and waits for it. `unsaved` then tells whether anything is left.
    void compact();
    // What a quit now would lose; nothing when everything is on disk.
    std::optional<Unsaved> unsaved() const;
    // The clock the save delays are measured with, in milliseconds; for tests.
    void setClockForTesting(std::function<qint64()> nowMilliseconds) { m_clock = std::move(nowMilliseconds); }

Q_SIGNALS:
    void isChangingProtectionChanged();
    void archiveDiskBytesChanged();
    // A reading of the stored history has ended, whether the history opened or not.
    void openingFinished();

private:
    struct StoredHistory {
        HistoryEngine history;
        qint64 diskBytes = 0;
        std::optional<JournalDamage> journalDamage;
        // Clips a run that could not open the history kept beside it.
        QList<ClipItem> pending;
    };
    using Opened = Result<StoredHistory, ArchiveLoadError>;
    enum class Write { asChange, whole };

    void schedule(HistoryStore::Change change);
    void save();
    using Written = Result<qint64, ArchiveStoreError>;
    // Hands the published history to the save queue, which writes it and then measures the files; `done` learns
    // the size on disk, or why it was not written.
    void write(Write how, std::function<void(Written written)> done);
    void saveFinished(const Written& written, bool rewrote, bool removePending);
    // While the history is closed: seals the clips held now in the pending file beside the archive.
    void keepHeldClips();
    void openStoredHistory();
    void finishOpening(Opened opened);
    void adopt(HistoryEngine stored, bool startedFresh, const QList<ClipItem>& kept = {});
    void upgradeStoredEntries();
    void setArchiveDiskBytes(qint64 bytes);
    void historyStillClosed(const ArchiveLoadError& error);
    static std::pair<Notice, QStringList> noticeFor(const ArchiveLoadError& error);

    HistoryStore& m_history;
    Notices& m_notices;
    std::unique_ptr<EncryptedArchiveStore> m_archive;
    bool m_isChangingProtection = false;
    qint64 m_archiveDiskBytes = 0;
    ArchiveProtectionMode m_protectionMode;
    // The mode saves on the queue write with; a migration switches it on the queue, so a save scheduled after
    // a migration never recreates the archive the migration removed.
    std::atomic<ArchiveProtectionMode> m_queueMode;
    bool m_historyOpen = true;
    bool m_opening = false;
    std::optional<ArchiveLoadError> m_openError;
    // A save was asked for while a protection change ran; it is made once the change has ended.
    bool m_saveAfterProtectionChange = false;
    // A published change waits for its debounce; when it fires, the history published then is saved.
    QTimer m_pendingSave;
    QTimer m_reopen;
    QTimer m_retry;
    // Why the last save failed; absent once one succeeds.
    std::optional<ArchiveStoreError> m_saveError;
    // When the oldest change not handed to the save queue yet was published.
    std::optional<qint64> m_firstUnsavedAt;
    std::function<qint64()> m_clock;
    // Clips were deleted: the next save rewrites the archive, so they do not stay readable in it or its journal.
    bool m_rewriteNext = false;
    // While the history is closed: whether the clips held now are sealed in the pending file beside the archive.
    bool m_heldClipsKept = true;
    std::optional<ArchiveStoreError> m_heldClipsError;
    // The pending file was merged into the history; it goes once that history is saved.
    bool m_removePendingAfterSave = false;
    std::function<qint64()> m_historyLimit = [] { return qint64(0); };
    std::atomic<bool> m_upgradeStopped = false;
    // Last, so their jobs and results never outlive the members they read.
    SerialQueue m_upgradeQueue;
    SerialQueue m_saveQueue;
};

} // namespace stowline
