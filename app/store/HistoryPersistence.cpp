#include "app/store/HistoryPersistence.h"

#include "app/notices/Notices.h"
#include "core/history/StoredClipUpgrade.h"
#include "core/support/AppIdentity.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QLocale>
#include <QSet>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace stowline {

namespace {

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

HistoryPersistence::HistoryPersistence(HistoryStore& history, Notices& notices,
                                       std::unique_ptr<EncryptedArchiveStore> archive,
                                       ArchiveProtectionMode protectionMode, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_notices(notices)
    , m_archive(std::move(archive))
    , m_protectionMode(protectionMode)
    , m_queueMode(protectionMode)
    , m_upgradeQueue(AppIdentity::applicationIdentifier() + u".upgrade", SerialQueue::Priority::utility)
    , m_saveQueue(AppIdentity::applicationIdentifier() + u".save") {
    m_pendingSave.setSingleShot(true);
    connect(&m_pendingSave, &QTimer::timeout, this, &HistoryPersistence::save);
    m_reopen.setInterval(reopenIntervalMilliseconds);
    connect(&m_reopen, &QTimer::timeout, this, &HistoryPersistence::save);
    m_retry.setSingleShot(true);
    m_retry.setInterval(saveRetryIntervalMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_saveError && !m_pendingSave.isActive())
            save();
    });
    m_clock = [timer = std::make_shared<QElapsedTimer>()] {
        if (!timer->isValid())
            timer->start();
        return timer->elapsed();
    };
    connect(&m_history, &HistoryStore::clipsRemoved, this, [this] { m_rewriteNext = true; });
    connect(&m_history, &HistoryStore::changed, this, &HistoryPersistence::schedule);
    if (const std::optional<QString> found = m_archive->securePermissions()) {
        m_notices.post(Notice::filesOpenToOthers, {*found});
        qWarning().noquote() << "Stowline:" << m_notices.current()->text;
    }
    const bool stored = m_archive->holdsHistory(m_protectionMode);
    openStoredHistory();
    if (!stored) {
        // Nothing to read: the history starts open.
        m_saveQueue.waitUntilIdle();
        m_saveQueue.deliverResults();
    }
}

HistoryPersistence::~HistoryPersistence() {
    compact();
}

void HistoryPersistence::openStoredHistory() {
    m_historyOpen = false;
    m_opening = true;
    m_saveQueue.run(
        this,
        [archive = m_archive.get(), mode = m_protectionMode, folder = m_history.folder()]() -> Opened {
            auto loaded = archive->loadHistory(mode, folder);
            if (!loaded.ok())
                return fail(loaded.error());
            StoredHistory stored{std::move(loaded).value(), archive->diskSize(mode), archive->journalDamage(mode), {}};
            // Unreadable, it stays where it is and is tried again at the next start.
            if (auto pending = archive->loadPending(mode))
                stored.pending = std::move(pending).value();
            return stored;
        },
        [this](Opened opened) { finishOpening(std::move(opened)); });
}

void HistoryPersistence::finishOpening(Opened opened) {
    m_opening = false;
    if (opened.ok()) {
        setArchiveDiskBytes(opened->diskBytes);
        // Held by an earlier run that could not open the history: taken in as clips held now are, and removed
        // once the history holding them is saved.
        m_removePendingAfterSave = !opened->pending.isEmpty();
        adopt(std::move(opened->history), false, opened->pending);
        if (const std::optional<JournalDamage>& damage = opened->journalDamage) {
            const QString changes = damage->unreadableChanges == 1
                                        ? QStringLiteral("1 change")
                                        : QStringLiteral("%1 changes").arg(damage->unreadableChanges);
            const QString since = damage->since ? QLocale().toString(damage->since->toLocalTime(), QLocale::ShortFormat)
                                                : QStringLiteral("the last start");
            m_notices.post(damage->movedAside ? Notice::journalDamaged : Notice::journalDamagedInPlace,
                           {changes, since, damage->keptAt});
        }
    } else if (opened.error().disposition == ArchiveLoadError::Disposition::movedAside) {
        adopt(HistoryEngine({}, m_history.folder()), true);
    } else {
        historyStillClosed(opened.error());
    }
    Q_EMIT openingFinished();
}

void HistoryPersistence::setArchiveDiskBytes(qint64 bytes) {
    if (m_archiveDiskBytes == bytes)
        return;
    m_archiveDiskBytes = bytes;
    Q_EMIT archiveDiskBytesChanged();
}

void HistoryPersistence::schedule(HistoryStore::Change change) {
    m_pendingSave.stop();
    const qint64 now = m_clock();
    if (!m_firstUnsavedAt)
        m_firstUnsavedAt = now;
    const double delaySeconds =
        change == HistoryStore::Change::recognizedText ? recognizedTextSaveDelaySeconds : saveDelaySeconds;
    // The debounce trails each change, but never past a second after the first unsaved one: a burst of copies
    // less than the delay apart would otherwise never be saved until it ends.
    const qint64 delay = std::min<qint64>(qRound64(delaySeconds * 1000),
                                          qRound64(longestSaveDelaySeconds * 1000) - (now - *m_firstUnsavedAt));
    if (change == HistoryStore::Change::wholesale || delay <= 0) {
        save();
        return;
    }
    m_pendingSave.start(int(delay));
}

void HistoryPersistence::save() {
    m_pendingSave.stop();
    if (m_isChangingProtection) {
        // Written after the move, onto its result; written now it could replace the moved history.
        m_saveAfterProtectionChange = true;
        return;
    }
    m_firstUnsavedAt.reset();
    if (!m_historyOpen) {
        // Never write over a history that exists but could not be opened; try to open it instead. What is held
        // meanwhile is kept beside it and merged in once it opens.
        if (!m_opening)
            openStoredHistory();
        keepHeldClips();
        return;
    }
    const bool rewrite = std::exchange(m_rewriteNext, false);
    const bool removePending = std::exchange(m_removePendingAfterSave, false);
    write(rewrite ? Write::whole : Write::asChange,
          [this, rewrite, removePending](const Written& written) { saveFinished(written, rewrite, removePending); });
}

void HistoryPersistence::saveFinished(const Written& written, bool rewrote, bool removePending) {
    if (written) {
        if (removePending)
            m_saveQueue.post([this, archive = m_archive.get()] { (void)archive->removePending(m_queueMode.load()); });
        m_saveError.reset();
        m_retry.stop();
        m_notices.withdraw(UserMessage::Kind::saveFailed);
        return;
    }
    m_saveError = written.error();
    // What the failed save was to do is still to be done: the retry rewrites the archive and removes the
    // pending file too.
    m_rewriteNext |= rewrote;
    m_removePendingAfterSave |= removePending;
    m_notices.post(Notice::saveFailed);
    m_retry.start();
}

void HistoryPersistence::keepHeldClips() {
    m_heldClipsKept = false;
    using Kept = Status<ArchiveStoreError>;
    m_saveQueue.run(
        this,
        [this, archive = m_archive.get(), held = m_history.publishedHistory()]() -> Kept {
            const ArchiveProtectionMode mode = m_queueMode.load();
            // What an earlier run kept there is kept too: the file is only ever added to until the history opens.
            auto earlier = archive->loadPending(mode);
            if (!earlier)
                return fail(earlier.error());
            if (earlier->isEmpty() && held->isEmpty())
                return Unit{};
            return archive->savePending(HistoryStore::mergedOnto(HistoryEngine(*earlier), *held, 0).items(), mode);
        },
        [this, held = m_history.publishedHistory()](const Kept& kept) {
            // Only the latest state counts: a later change has its own write queued.
            if (held != m_history.publishedHistory())
                return;
            m_heldClipsKept = kept.ok();
            m_heldClipsError.reset();
            if (!kept)
                m_heldClipsError = kept.error();
        });
}

std::optional<HistoryPersistence::Unsaved> HistoryPersistence::unsaved() const {
    const QString folder = m_archive->directoryPath();
    if (!m_historyOpen) {
        const qsizetype held = m_history.publishedHistory()->size();
        if (held == 0 || m_heldClipsKept)
            return std::nullopt;
        const QString why =
            m_heldClipsError ? m_heldClipsError->describe() : (m_openError ? m_openError->error.describe() : QString());
        return Unsaved{held, QStringLiteral("the history in %1 could not be opened and the clips taken in meanwhile "
                                            "could not be kept beside it (%2)")
                                 .arg(folder, why)};
    }
    if (m_saveError || m_pendingSave.isActive())
        return Unsaved{
            0, QStringLiteral("the history could not be saved in %1 (%2)")
                   .arg(folder, m_saveError ? m_saveError->describe() : QStringLiteral("a save is still waiting"))};
    return std::nullopt;
}

QString HistoryPersistence::Unsaved::describe() const {
    if (heldClips > 0)
        return QStringLiteral("%1 would be lost: %2")
            .arg(heldClips == 1 ? QStringLiteral("1 clip") : QStringLiteral("%1 clips").arg(heldClips), reason);
    return QStringLiteral("changes would be lost: %1").arg(reason);
}

void HistoryPersistence::write(Write how, std::function<void(Written written)> done) {
    m_saveQueue.run(
        this,
        [this, archive = m_archive.get(), history = m_history.publishedHistory(), how]() -> Written {
            const ArchiveProtectionMode mode = m_queueMode.load();
            auto written = how == Write::whole ? archive->save(*history, mode) : archive->saveChange(*history, mode);
            if (!written)
                return fail(written.error());
            return archive->diskSize(mode);
        },
        [this, done = std::move(done)](const Written& written) {
            if (written)
                setArchiveDiskBytes(*written);
            done(written);
        });
}

void HistoryPersistence::historyStillClosed(const ArchiveLoadError& error) {
    m_historyOpen = false;
    m_openError = error;
    const auto [notice, arguments] = noticeFor(error);
    m_notices.post(notice, arguments);
    // Only what heals by itself is retried on a clock; the rest is retried with the next change.
    if (error.healsByItself()) {
        if (!m_reopen.isActive())
            m_reopen.start();
    } else {
        m_reopen.stop();
    }
}

void HistoryPersistence::adopt(HistoryEngine stored, bool startedFresh, const QList<ClipItem>& kept) {
    m_historyOpen = true;
    m_openError.reset();
    m_reopen.stop();
    if (startedFresh)
        m_notices.post(Notice::unreadableArchive);
    else
        m_notices.withdraw(UserMessage::Kind::historyClosed);
    // A save asked for before the history arrived holds the empty history of that moment: written now, it would
    // delete everything that was just read. Clips taken in meanwhile are merged in and saved at once instead.
    m_pendingSave.stop();
    m_history.adoptStored(std::move(stored), m_historyLimit(), kept);
    if (!m_history.publishedHistory()->isEmpty())
        upgradeStoredEntries();
}

void HistoryPersistence::upgradeStoredEntries() {
    using Upgraded = std::optional<HistoryEngine>;
    // On a queue of its own, so saves made meanwhile are not held up behind it, and given up at quit.
    m_upgradeQueue.run(
        this,
        [snapshot = m_history.publishedHistory(), &stopped = m_upgradeStopped]() -> Upgraded {
            // Entry by entry into a copy that shares the rest, so no list of the whole history is made.
            HistoryEngine upgraded = *snapshot;
            if (upgraded.upgradeEach(upgradeStoredClip, stopped).value_or(false))
                return upgraded;
            return std::nullopt;
        },
        [this, snapshot = m_history.publishedHistory()](Upgraded upgraded) {
            if (!upgraded)
                return;
            // Changes made meanwhile stay: the upgraded fields go into the entries that are still there.
            m_history.adoptUpgrade(std::move(*upgraded), snapshot);
            if (m_isChangingProtection) {
                m_saveAfterProtectionChange = true;
                return;
            }
            // Written once as a whole: as a change it would touch nearly every entry. A failure only means the
            // upgrade runs again next time.
            m_pendingSave.stop();
            write(Write::whole, [this](const Written&) {
                // The entries as they were before the upgrade are gone now.
                m_upgradeQueue.post([&quitting = m_upgradeStopped] { releaseFreedPages(quitting); });
            });
        });
    m_upgradeQueue.post([&quitting = m_upgradeStopped] { releaseFreedPages(quitting); });
}

std::pair<Notice, QStringList> HistoryPersistence::noticeFor(const ArchiveLoadError& error) {
    using Disposition = ArchiveLoadError::Disposition;
    using Kind = ArchiveStoreError::Kind;
    if (error.disposition == Disposition::movedAside)
        return {Notice::unreadableArchive, {}};
    if (error.disposition == Disposition::unreadableInPlace)
        return {Notice::archiveNotMoved, {}};
    if (error.healsByItself())
        return {Notice::historyNotOpen, {}};
    switch (error.error.kind) {
    case Kind::fileSystem:
        return {Notice::fileUnreadable, {error.error.file.path}};
    case Kind::localKey:
        if (error.error.localKey.kind == LocalKeyFileStoreError::Kind::invalidKey)
            return {Notice::keyFileInvalid, {}};
        if (error.error.localKey.kind == LocalKeyFileStoreError::Kind::fileSystem)
            return {Notice::fileUnreadable, {error.error.localKey.file.path}};
        break;
    case Kind::keychainKey:
        if (error.error.keychainKey.kind == KeychainKeyStoreError::Kind::invalidKey)
            return {Notice::keyringKeyInvalid, {}};
        return {Notice::keyringFailed, {}};
    case Kind::cipher:
    case Kind::protectionChangeInProgress:
        break;
    }
    return {Notice::historyNotOpen, {}};
}

void HistoryPersistence::changeProtection(ArchiveProtectionMode to, ProtectionCompletion completion) {
    if (m_isChangingProtection) {
        completion(fail(ArchiveStoreError{ArchiveStoreError::Kind::protectionChangeInProgress, {}, {}, {}, {}}));
        return;
    }
    if (to == m_protectionMode) {
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
    m_isChangingProtection = true;
    Q_EMIT isChangingProtectionChanged();

    using Migrated = Result<QList<ClipItem>, ArchiveStoreError>;
    const ArchiveProtectionMode from = m_protectionMode;
    const std::shared_ptr<const HistoryEngine> moved = m_history.publishedHistory();
    m_saveQueue.run(
        this,
        [this, archive = m_archive.get(), moved, from, to]() -> std::pair<Migrated, qint64> {
            Migrated migrated = archive->migrate(
                moved->items(), from, to, [](QList<ClipItem> legacy, const QList<ClipItem>& current, qint64 limit) {
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
        [this, to, moved, completion = std::move(completion)](std::pair<Migrated, qint64> result) {
            m_isChangingProtection = false;
            bool saveNow = std::exchange(m_saveAfterProtectionChange, false);
            if (result.first.ok()) {
                m_protectionMode = to;
                setArchiveDiskBytes(result.second);
                // The move wrote the history as it was when it began, plus entries of the older layout. The
                // history has gone on meanwhile: it stays as it is now, with only those older entries added.
                QSet<QString> movedContent;
                for (qsizetype i = 0; i < moved->size(); ++i)
                    movedContent.insert(moved->at(i).contentHash());
                QList<ClipItem> found;
                for (const ClipItem& item : std::as_const(result.first.value())) {
                    if (!movedContent.contains(item.contentHash()))
                        found.append(item);
                }
                if (!found.isEmpty()) {
                    // Published as a wholesale change, which saves at once.
                    m_history.addBeneath(found, m_historyLimit());
                    saveNow = false;
                }
            }
            if (saveNow)
                save();
            Q_EMIT isChangingProtectionChanged();
            if (result.first.ok())
                completion(Unit{});
            else
                completion(fail(result.first.error()));
        });
}

void HistoryPersistence::compact() {
    // The upgrade of stored entries is made again at the next start rather than waited for.
    m_upgradeStopped = true;
    flush();
    if (m_saveError && m_historyOpen) {
        // Once more before giving up; the disk may have room again.
        m_retry.stop();
        save();
        flush();
    }
    m_saveQueue.post([this, archive = m_archive.get()] { (void)archive->compact(m_queueMode.load()); });
    m_saveQueue.waitUntilIdle();
}

void HistoryPersistence::flush() {
    // Until the results post nothing more: a history that opens late is merged and written, and then the
    // upgrade of its stored entries is made and written.
    for (;;) {
        if (m_pendingSave.isActive())
            save();
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
