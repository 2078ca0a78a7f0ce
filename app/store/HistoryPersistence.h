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
// opened), saves each published change on the save queue after a short debounce, upgrades stored entries on
// a queue of its own, moves the archive between protection modes and publishes the size on disk. Its failures
// go to the notices. Everything but the queues' work runs on the thread that created it.
class HistoryPersistence : public QObject {
    Q_OBJECT

public:
    static constexpr double saveDelaySeconds = 0.2;
    static constexpr double recognizedTextSaveDelaySeconds = 1.0;
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
    // then folds the journal of changes into a rewritten archive (on the save queue) and waits for it.
    void compact();

Q_SIGNALS:
    void isChangingProtectionChanged();
    void archiveDiskBytesChanged();
    // A reading of the stored history has ended, whether the history opened or not.
    void openingFinished();

private:
    struct StoredHistory {
        HistoryEngine history;
        qint64 diskBytes = 0;
    };
    using Opened = Result<StoredHistory, ArchiveLoadError>;
    enum class Write { asChange, whole };

    void schedule(HistoryStore::Change change);
    void save();
    // Hands the published history to the save queue, which writes it and then measures the files; `done` learns
    // whether it was written.
    void write(Write how, std::function<void(bool written)> done);
    void openStoredHistory();
    void finishOpening(Opened opened);
    void adopt(HistoryEngine stored, bool startedFresh);
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
    std::function<qint64()> m_historyLimit = [] { return qint64(0); };
    std::atomic<bool> m_upgradeStopped = false;
    // Last, so their jobs and results never outlive the members they read.
    SerialQueue m_upgradeQueue;
    SerialQueue m_saveQueue;
};

} // namespace stowline
