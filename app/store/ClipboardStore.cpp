#include "app/store/ClipboardStore.h"

#include "core/detect/CredentialDetector.h"
#include "core/metadata/CapturedContentMetadata.h"
#include "core/support/AppIdentity.h"

#include <QCoreApplication>

namespace stowline {

QString ClipboardStore::unreadableArchiveMessage() {
    return QStringLiteral("Stowline protected an unreadable archive and started a fresh history.");
}

QString ClipboardStore::saveFailedMessage() {
    return QStringLiteral("History could not be saved securely.");
}

QString ClipboardStore::historyNotOpenMessage() {
    return QStringLiteral("Your history is not unlocked yet: its key could not be read. New clips are kept and "
                          "will be added to it once it opens.");
}

ClipboardStore::ClipboardStore(std::unique_ptr<EncryptedArchiveStore> archive, ArchiveProtectionMode protectionMode,
                               bool persistenceEnabled, QObject* parent)
    : QObject(parent)
    , m_archive(std::move(archive))
    , m_saveQueue(AppIdentity::applicationIdentifier() + u".save")
    , m_protectionMode(protectionMode)
    , m_queueMode(protectionMode)
    , m_persistenceEnabled(persistenceEnabled && m_archive) {
    m_pendingSave.setSingleShot(true);
    connect(&m_pendingSave, &QTimer::timeout, this, [this] { enqueueSave(*std::exchange(m_pendingHistory, {})); });
    m_reopen.setInterval(reopenIntervalMilliseconds);
    connect(&m_reopen, &QTimer::timeout, this, [this] { publishAndSave(true); });
    if (m_persistenceEnabled)
        loadAtStartUp();
}

ClipboardStore::~ClipboardStore() {
    flush();
}

void ClipboardStore::loadAtStartUp() {
    auto loaded = m_archive->load(m_protectionMode);
    if (!loaded.ok()) {
        if (loaded.error().disposition == ArchiveLoadError::Disposition::movedAside) {
            setLastError(unreadableArchiveMessage());
            return;
        }
        historyStillClosed(loaded.error());
        return;
    }
    ClipListUpgrade metadata = CapturedContentMetadata::upgrade(std::move(loaded->items));
    ClipListUpgrade credentials = CredentialDetector::upgrade(std::move(metadata.items));
    m_engine = HistoryEngine(credentials.items);
    m_published = std::make_shared<const HistoryEngine>(m_engine);
    m_archiveDiskBytes = m_archive->diskSize(m_protectionMode);
    if (metadata.changed || credentials.changed) {
        // Upgraded entries are written once; a failure only means the upgrade runs again next time.
        m_saveQueue.post([archive = m_archive.get(), history = m_engine, mode = m_protectionMode] {
            (void)archive->save(history.items(), mode);
        });
    }
}

void ClipboardStore::setLastError(std::optional<QString> message) {
    if (m_lastError == message)
        return;
    m_lastError = std::move(message);
    Q_EMIT lastErrorChanged();
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
    publishAndSave(false);
    return id;
}

void ClipboardStore::use(const QUuid& id) {
    m_engine.markUsed(id, Timestamp::now());
    publishAndSave(false);
}

void ClipboardStore::toggleFavorite(const QUuid& id) {
    m_engine.toggleFavorite(id);
    publishAndSave(false);
}

void ClipboardStore::deleteItem(const QUuid& id) {
    m_engine.deleteItem(id);
    publishAndSave(false);
}

void ClipboardStore::clear(bool keepingFavorites) {
    m_engine.clear(keepingFavorites);
    publishAndSave(true);
}

void ClipboardStore::applyRetention(qint64 days) {
    m_engine.applyRetention(days, Timestamp::now());
    publishAndSave(false);
}

bool ClipboardStore::applyRecognizedText(const QUuid& id, const QString& expectedContentHash,
                                         const std::optional<QString>& text, qint64 version) {
    if (!m_engine.applyRecognizedText(id, expectedContentHash, text, version))
        return false;
    publishAndSave(false, recognizedTextSaveDelaySeconds);
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

void ClipboardStore::publishAndSave(bool immediately, double delaySeconds) {
    publish();
    if (!m_persistenceEnabled) {
        setArchiveDiskBytes(0);
        return;
    }
    m_pendingSave.stop();
    m_pendingHistory = *m_published;
    if (immediately)
        enqueueSave(*std::exchange(m_pendingHistory, {}));
    else
        m_pendingSave.start(qRound(delaySeconds * 1000));
}

void ClipboardStore::enqueueSave(HistoryEngine history) {
    EncryptedArchiveStore* archive = m_archive.get();
    if (!m_historyOpen) {
        // Never write over a history that exists but could not be opened; try to open it instead.
        m_saveQueue.run(
            this, [archive, mode = m_protectionMode] { return archive->load(mode); },
            [this](Result<StowlineArchive, ArchiveLoadError> loaded) {
                if (loaded.ok())
                    historyOpenedLate(std::move(loaded->items), false);
                else if (loaded.error().disposition == ArchiveLoadError::Disposition::movedAside)
                    historyOpenedLate({}, true);
                else
                    historyStillClosed(loaded.error());
            });
        return;
    }
    m_saveQueue.run(
        this,
        [archive, history = std::move(history), this]() -> std::optional<qint64> {
            const ArchiveProtectionMode mode = m_queueMode.load();
            if (!archive->save(history.items(), mode).ok())
                return std::nullopt;
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
    if (!m_reopen.isActive())
        m_reopen.start();
}

void ClipboardStore::historyOpenedLate(QList<ClipItem> stored, bool startedFresh) {
    if (m_historyOpen)
        return;
    m_historyOpen = true;
    m_openError.reset();
    m_reopen.stop();

    ClipListUpgrade metadata = CapturedContentMetadata::upgrade(std::move(stored));
    ClipListUpgrade credentials = CredentialDetector::upgrade(std::move(metadata.items));
    HistoryEngine merged(credentials.items, m_engine.folder());
    // Oldest first, so that among equal times the newer capture ends up on top as it did in memory.
    const QList<ClipItem> captured = m_engine.items();
    for (auto it = captured.crbegin(); it != captured.crend(); ++it)
        merged.ingest(*it, m_historyLimit());
    m_engine = std::move(merged);
    if (startedFresh)
        setLastError(unreadableArchiveMessage());
    else if (m_lastError == historyNotOpenMessage())
        setLastError(std::nullopt);
    publishAndSave(true);
}

QString ClipboardStore::messageFor(const ArchiveLoadError& error) {
    return error.contentUnreadable() ? unreadableArchiveMessage() : historyNotOpenMessage();
}

void ClipboardStore::changeProtection(ArchiveProtectionMode to, ProtectionCompletion completion) {
    if (to == m_protectionMode || m_isChangingProtection) {
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
            return {std::move(migrated), archive->diskSize(to)};
        },
        [this, to, completion = std::move(completion)](std::pair<Migrated, qint64> result) {
            m_isChangingProtection = false;
            if (result.first.ok()) {
                m_protectionMode = to;
                m_engine = HistoryEngine(result.first.value(), m_engine.folder());
                publish();
                setArchiveDiskBytes(result.second);
            }
            Q_EMIT isChangingProtectionChanged();
            if (result.first.ok())
                completion(Unit{});
            else
                completion(fail(result.first.error()));
        });
}

void ClipboardStore::flush() {
    // Two rounds: a history that opens late during the first is merged and written in the second.
    for (int round = 0; round < 2; ++round) {
        if (m_pendingSave.isActive()) {
            m_pendingSave.stop();
            enqueueSave(*std::exchange(m_pendingHistory, {}));
        }
        m_saveQueue.waitUntilIdle();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

} // namespace stowline
