#include "app/store/ClipboardStore.h"

#include "core/history/StoredClipUpgrade.h"
#include "core/support/AppIdentity.h"

#include <QCoreApplication>
#include <QSet>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace stowline {

UserMessage ClipboardStore::unreadableArchiveMessage() {
    return {UserMessage::Kind::archiveStartedFresh,
            QStringLiteral("Stowline protected an unreadable archive and started a fresh history.")};
}

UserMessage ClipboardStore::saveFailedMessage() {
    return {UserMessage::Kind::saveFailed, QStringLiteral("History could not be saved securely.")};
}

UserMessage ClipboardStore::historyNotOpenMessage() {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Your history is not unlocked yet: its key could not be read. New clips are kept and "
                           "will be added to it once it opens.")};
}

UserMessage ClipboardStore::archiveNotMovedMessage() {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Stowline cannot read its archive and could not move it aside, so nothing will be saved "
                           "over it. New clips are kept in memory until it can be moved.")};
}

UserMessage ClipboardStore::keyFileInvalidMessage() {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Your history cannot be opened: its key file (Local Protection/archive.key) does not hold "
                           "a valid key. Nothing will be saved over the archive; put back the key file from a backup "
                           "to open it. New clips are kept in memory meanwhile.")};
}

UserMessage ClipboardStore::keyringKeyInvalidMessage() {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Your history cannot be opened: the archive key in the system keyring is not a valid key. "
                           "Nothing will be saved over the archive. New clips are kept in memory meanwhile.")};
}

UserMessage ClipboardStore::keyringFailedMessage() {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Your history cannot be opened: the system keyring reported an error. Check that the "
                           "keyring works; new clips are kept and will be added to the history once it opens.")};
}

UserMessage ClipboardStore::fileUnreadableMessage(const QString& path) {
    return {UserMessage::Kind::historyClosed,
            QStringLiteral("Your history cannot be opened: %1 cannot be read. Check that you own the file and may "
                           "read it (for example, fix its permissions); new clips are kept and will be added to "
                           "the history once it opens.")
                .arg(path)};
}

namespace {

// The entries held in memory put onto `base`, oldest first so that among equal times the newer one ends up on
// top as it was; a favourite set in memory stays one when its content was already in `base`.
HistoryEngine mergedOnto(HistoryEngine merged, const HistoryEngine& memory, qint64 limit) {
    const QList<ClipItem> held = memory.items();
    for (auto it = held.crbegin(); it != held.crend(); ++it) {
        const QUuid id = merged.ingest(*it, limit);
        const ClipItem* stored = merged.item(id);
        if (it->isFavorite() && stored && !stored->isFavorite())
            merged.toggleFavorite(id);
    }
    return merged;
}

// Reading the history leaves short-lived blocks freed among the entries in the heaps of the threads that decoded
// them, and the allocator keeps those pages: tens of megabytes for a large history. Handing back the whole pages
// among them takes a few milliseconds, so it runs after start-up, on the upgrade queue, which yields to the rest;
// at quit it is not worth them.
void releaseFreedPages(const std::atomic<bool>& quitting) {
#ifdef __GLIBC__
    if (!quitting)
        malloc_trim(0);
#else
    Q_UNUSED(quitting);
#endif
}

} // namespace

ClipboardStore::ClipboardStore(std::unique_ptr<EncryptedArchiveStore> archive, ArchiveProtectionMode protectionMode,
                               Persistence persistence, QObject* parent)
    : QObject(parent)
    , m_archive(std::move(archive))
    , m_protectionMode(protectionMode)
    , m_queueMode(protectionMode)
    , m_persistenceEnabled(persistence == Persistence::enabled && m_archive)
    , m_upgradeQueue(AppIdentity::applicationIdentifier() + u".upgrade", SerialQueue::Priority::utility)
    , m_saveQueue(AppIdentity::applicationIdentifier() + u".save") {
    m_pendingSave.setSingleShot(true);
    connect(&m_pendingSave, &QTimer::timeout, this, [this] { enqueueSave(*std::exchange(m_pendingHistory, {})); });
    m_reopen.setInterval(reopenIntervalMilliseconds);
    connect(&m_reopen, &QTimer::timeout, this, [this] { publishAndSave(SaveTiming::immediately); });
    if (!m_persistenceEnabled)
        return;
    const bool stored = m_archive->holdsHistory(m_protectionMode);
    openStoredHistory();
    if (!stored) {
        // Nothing to read: the store starts open.
        m_saveQueue.waitUntilIdle();
        m_saveQueue.deliverResults();
    }
}

ClipboardStore::~ClipboardStore() {
    compact();
}

void ClipboardStore::openStoredHistory() {
    m_historyOpen = false;
    m_opening = true;
    m_saveQueue.run(
        this,
        [this, archive = m_archive.get(), mode = m_protectionMode, folder = m_engine.folder()]() -> Opened {
            auto loaded = archive->load(mode);
            if (!loaded.ok())
                return fail(loaded.error());
            StoredHistory stored{HistoryEngine(loaded->items, folder), archive->diskSize(mode)};
            // What the archive holds, so the next save writes only what changed since.
            m_onDisk = stored.history;
            return stored;
        },
        [this](Opened opened) { finishOpening(std::move(opened)); });
}

void ClipboardStore::finishOpening(Opened opened) {
    m_opening = false;
    if (opened.ok()) {
        setArchiveDiskBytes(opened->diskBytes);
        adopt(std::move(opened->history), false);
    } else if (opened.error().disposition == ArchiveLoadError::Disposition::movedAside) {
        adopt(HistoryEngine({}, m_engine.folder()), true);
    } else {
        historyStillClosed(opened.error());
    }
    Q_EMIT openingFinished();
}

void ClipboardStore::setLastError(std::optional<UserMessage> message) {
    if (m_lastError == message)
        return;
    m_lastError = std::move(message);
    Q_EMIT lastErrorChanged();
}

void ClipboardStore::clearLastError(UserMessage::Kind kind) {
    if (m_lastError && m_lastError->kind == kind)
        setLastError(std::nullopt);
}

void ClipboardStore::setArchiveDiskBytes(qint64 bytes) {
    if (m_archiveDiskBytes == bytes)
        return;
    m_archiveDiskBytes = bytes;
    Q_EMIT archiveDiskBytesChanged();
}

std::optional<ClipItem> ClipboardStore::item(const QUuid& id) const {
    if (const ClipItem* found = m_engine.item(id))
        return *found;
    return std::nullopt;
}

QUuid ClipboardStore::capture(ClipItem item, qint64 limit) {
    const QUuid id = m_engine.ingest(std::move(item), limit);
    publishAndSave(SaveTiming::afterDebounce);
    return id;
}

HistoryEngine::MergeSummary ClipboardStore::merge(QList<ClipItem> items, qint64 limit) {
    const HistoryEngine::MergeSummary summary = m_engine.merge(upgradeStoredClips(std::move(items)).items, limit);
    publishAndSave(SaveTiming::immediately);
    return summary;
}

void ClipboardStore::use(const QUuid& id) {
    m_engine.markUsed(id, Timestamp::now());
    publishAndSave(SaveTiming::afterDebounce);
}

void ClipboardStore::toggleFavorite(const QUuid& id) {
    m_engine.toggleFavorite(id);
    publishAndSave(SaveTiming::afterDebounce);
}

void ClipboardStore::deleteItem(const QUuid& id) {
    m_engine.deleteItem(id);
    publishAndSave(SaveTiming::afterDebounce);
}

void ClipboardStore::clear(ClearScope scope) {
    m_engine.clear(scope);
    publishAndSave(SaveTiming::immediately);
}

void ClipboardStore::applyRetention(qint64 days) {
    m_engine.applyRetention(days, Timestamp::now());
    publishAndSave(SaveTiming::afterDebounce);
}

bool ClipboardStore::applyRecognizedText(const QUuid& id, const QString& expectedContentHash,
                                         const std::optional<QString>& text, qint64 version) {
    if (!m_engine.applyRecognizedText(id, expectedContentHash, text, version))
        return false;
    publishAndSave(SaveTiming::afterRecognizedTextDebounce);
    return true;
}

const QList<ClipItem>& ClipboardStore::items() const {
    if (!m_items)
        m_items = m_published->items();
    return *m_items;
}

void ClipboardStore::publish() {
    m_published = std::make_shared<const HistoryEngine>(m_engine);
    m_items.reset();
    Q_EMIT itemsChanged();
}

void ClipboardStore::publishAndSave(SaveTiming timing) {
    publish();
    if (!m_persistenceEnabled) {
        setArchiveDiskBytes(0);
        return;
    }
    m_pendingSave.stop();
    m_pendingHistory = *m_published;
    if (timing == SaveTiming::immediately) {
        enqueueSave(*std::exchange(m_pendingHistory, {}));
        return;
    }
    const double delaySeconds =
        timing == SaveTiming::afterRecognizedTextDebounce ? recognizedTextSaveDelaySeconds : saveDelaySeconds;
    m_pendingSave.start(qRound(delaySeconds * 1000));
}

void ClipboardStore::enqueueSave(HistoryEngine history) {
    EncryptedArchiveStore* archive = m_archive.get();
    if (m_isChangingProtection) {
        // Written after the move, onto its result; written now it could replace the moved history.
        m_saveAfterProtectionChange = true;
        return;
    }
    if (!m_historyOpen) {
        // Never write over a history that exists but could not be opened; try to open it instead. What is held
        // meanwhile is merged in and written once it opens.
        if (!m_opening)
            openStoredHistory();
        return;
    }
    m_saveQueue.run(
        this,
        [archive, history = std::move(history), this]() mutable -> std::optional<qint64> {
            const ArchiveProtectionMode mode = m_queueMode.load();
            const bool saved =
                m_onDisk ? archive->saveChange(*m_onDisk, history, mode).ok() : archive->save(history, mode).ok();
            if (!saved) {
                m_onDisk.reset();
                return std::nullopt;
            }
            m_onDisk = std::move(history);
            return archive->diskSize(mode);
        },
        [this](std::optional<qint64> diskBytes) {
            if (diskBytes)
                setArchiveDiskBytes(*diskBytes);
            else
                setLastError(saveFailedMessage());
        });
}

void ClipboardStore::historyStillClosed(const ArchiveLoadError& error) {
    m_historyOpen = false;
    m_openError = error;
    setLastError(messageFor(error));
    // Only what heals by itself is retried on a clock; the rest is retried with the next change.
    if (error.healsByItself()) {
        if (!m_reopen.isActive())
            m_reopen.start();
    } else {
        m_reopen.stop();
    }
}

void ClipboardStore::adopt(HistoryEngine stored, bool startedFresh) {
    m_historyOpen = true;
    m_openError.reset();
    m_reopen.stop();
    // Clips taken in while the history was not open yet go on top of it.
    const bool held = !m_engine.isEmpty();
    m_engine = held ? mergedOnto(std::move(stored), m_engine, m_historyLimit()) : std::move(stored);
    if (startedFresh)
        setLastError(unreadableArchiveMessage());
    else
        clearLastError(UserMessage::Kind::historyClosed);
    if (held) {
        publishAndSave(SaveTiming::immediately);
    } else {
        // A save asked for before the history arrived holds the empty history of that moment: written now, it
        // would delete everything that was just read.
        m_pendingSave.stop();
        m_pendingHistory.reset();
        publish();
    }
    Q_EMIT historyOpened();
    if (!m_engine.isEmpty())
        upgradeStoredEntries();
}

void ClipboardStore::upgradeStoredEntries() {
    using Upgraded = std::optional<HistoryEngine>;
    // On a queue of its own, so saves made meanwhile are not held up behind it, and given up at quit.
    m_upgradeQueue.run(
        this,
        [snapshot = m_published, &stopped = m_upgradeStopped]() -> Upgraded {
            // Entry by entry into a copy that shares the rest, so no list of the whole history is made.
            HistoryEngine upgraded = *snapshot;
            if (upgraded.upgradeEach(upgradeStoredClip, stopped).value_or(false))
                return upgraded;
            return std::nullopt;
        },
        [this, snapshot = m_published](Upgraded upgraded) {
            if (!upgraded)
                return;
            // Changes made meanwhile stay: the upgraded fields go into the entries that are still there.
            if (m_published == snapshot)
                m_engine = std::move(*upgraded);
            else
                m_engine.applyUpgradedFields(*upgraded);
            publish();
            if (m_isChangingProtection) {
                m_saveAfterProtectionChange = true;
            } else {
                // Written once as a whole: as a change it would touch nearly every entry. A failure only means the
                // upgrade runs again next time.
                m_pendingSave.stop();
                m_pendingHistory.reset();
                m_saveQueue.run(
                    this,
                    [this, archive = m_archive.get(), history = *m_published]() -> std::optional<qint64> {
                        const ArchiveProtectionMode mode = m_queueMode.load();
                        if (!archive->save(history, mode).ok()) {
                            m_onDisk.reset();
                            return std::nullopt;
                        }
                        m_onDisk = history;
                        return archive->diskSize(mode);
                    },
                    [this](std::optional<qint64> diskBytes) {
                        if (diskBytes)
                            setArchiveDiskBytes(*diskBytes);
                        // The entries as they were before the upgrade are gone now.
                        m_upgradeQueue.post([&quitting = m_upgradeStopped] { releaseFreedPages(quitting); });
                    });
            }
            Q_EMIT storedEntriesUpgraded();
        });
    m_upgradeQueue.post([&quitting = m_upgradeStopped] { releaseFreedPages(quitting); });
}

UserMessage ClipboardStore::messageFor(const ArchiveLoadError& error) {
    using Disposition = ArchiveLoadError::Disposition;
    using Kind = ArchiveStoreError::Kind;
    if (error.disposition == Disposition::movedAside)
        return unreadableArchiveMessage();
    if (error.disposition == Disposition::unreadableInPlace)
        return archiveNotMovedMessage();
    if (error.healsByItself())
        return historyNotOpenMessage();
    switch (error.error.kind) {
    case Kind::fileSystem:
        return fileUnreadableMessage(error.error.file.path);
    case Kind::localKey:
        if (error.error.localKey.kind == LocalKeyFileStoreError::Kind::invalidKey)
            return keyFileInvalidMessage();
        if (error.error.localKey.kind == LocalKeyFileStoreError::Kind::fileSystem)
            return fileUnreadableMessage(error.error.localKey.file.path);
        break;
    case Kind::keychainKey:
        if (error.error.keychainKey.kind == KeychainKeyStoreError::Kind::invalidKey)
            return keyringKeyInvalidMessage();
        return keyringFailedMessage();
    case Kind::cipher:
    case Kind::protectionChangeInProgress:
        break;
    }
    return historyNotOpenMessage();
}

void ClipboardStore::changeProtection(ArchiveProtectionMode to, ProtectionCompletion completion) {
    if (m_isChangingProtection) {
        completion(fail(ArchiveStoreError{ArchiveStoreError::Kind::protectionChangeInProgress, {}, {}, {}, {}}));
        return;
    }
    if (to == m_protectionMode) {
        completion(Unit{});
        return;
    }
    if (!m_persistenceEnabled) {
        m_protectionMode = to;
        m_queueMode = to;
        setArchiveDiskBytes(0);
        completion(Unit{});
        return;
    }
    if (m_opening) {
        // The stored history is being read; the move can be asked for again in a moment.
        completion(fail(ArchiveStoreError{ArchiveStoreError::Kind::protectionChangeInProgress, {}, {}, {}, {}}));
        return;
    }
    if (!m_historyOpen) {
        // Migrating now would replace the history that could not be opened with the clips held in memory.
        completion(fail(m_openError->error));
        return;
    }
    m_pendingSave.stop();
    m_pendingHistory.reset();
    m_isChangingProtection = true;
    Q_EMIT isChangingProtectionChanged();

    using Migrated = Result<QList<ClipItem>, ArchiveStoreError>;
    const ArchiveProtectionMode from = m_protectionMode;
    m_saveQueue.run(
        this,
        [this, archive = m_archive.get(), history = *m_published, from, to]() -> std::pair<Migrated, qint64> {
            Migrated migrated = archive->migrate(
                history.items(), from, to, [](QList<ClipItem> legacy, const QList<ClipItem>& current, qint64 limit) {
                    HistoryEngine engine(legacy);
                    for (const ClipItem& item : current)
                        engine.ingest(item, limit);
                    return engine.items();
                });
            if (!migrated.ok())
                return {std::move(migrated), 0};
            m_queueMode = to;
            // The store rebuilds its history from the migrated entries, so the next save rewrites the archive.
            m_onDisk.reset();
            return {std::move(migrated), archive->diskSize(to)};
        },
        [this, to, moved = m_published, completion = std::move(completion)](std::pair<Migrated, qint64> result) {
            m_isChangingProtection = false;
            bool save = std::exchange(m_saveAfterProtectionChange, false);
            if (result.first.ok()) {
                m_protectionMode = to;
                setArchiveDiskBytes(result.second);
                // The move wrote the history as it was when it began, plus entries of the older layout. The
                // history has gone on meanwhile: it stays as it is now, with only those older entries added.
                QSet<QString> movedContent;
                for (const ClipItem& item : moved->items())
                    movedContent.insert(item.contentHash());
                QList<ClipItem> added;
                for (const ClipItem& item : std::as_const(result.first.value())) {
                    if (!movedContent.contains(item.contentHash()))
                        added.append(item);
                }
                if (!added.isEmpty()) {
                    m_engine = mergedOnto(HistoryEngine(added, m_engine.folder()), m_engine, m_historyLimit());
                    save = true;
                }
            }
            if (save)
                publishAndSave(SaveTiming::immediately);
            Q_EMIT isChangingProtectionChanged();
            if (result.first.ok())
                completion(Unit{});
            else
                completion(fail(result.first.error()));
        });
}

void ClipboardStore::compact() {
    // The upgrade of stored entries is made again at the next start rather than waited for.
    m_upgradeStopped = true;
    flush();
    if (!m_persistenceEnabled)
        return;
    m_saveQueue.post([this, archive = m_archive.get()] {
        const ArchiveProtectionMode mode = m_queueMode.load();
        if (m_onDisk && archive->hasJournalRecords(mode))
            (void)archive->save(*m_onDisk, mode);
    });
    m_saveQueue.waitUntilIdle();
}

void ClipboardStore::flush() {
    // Until the results post nothing more: a history that opens late is merged and written, and then the
    // upgrade of its stored entries is made and written.
    for (;;) {
        if (m_pendingSave.isActive()) {
            m_pendingSave.stop();
            enqueueSave(*std::exchange(m_pendingHistory, {}));
        }
        const quint64 posted = m_saveQueue.postedCount() + m_upgradeQueue.postedCount();
        m_upgradeQueue.waitUntilIdle();
        m_upgradeQueue.deliverResults();
        m_saveQueue.waitUntilIdle();
        m_saveQueue.deliverResults();
        if (m_saveQueue.postedCount() + m_upgradeQueue.postedCount() == posted && !m_pendingSave.isActive())
            return;
    }
}

} // namespace stowline
