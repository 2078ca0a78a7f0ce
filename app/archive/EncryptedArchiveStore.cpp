#include "app/archive/EncryptedArchiveStore.h"

#include "core/archive/HistoryJournal.h"
#include "core/archive/StowlineCipher.h"
#include "core/history/HistoryEngine.h"
#include "core/support/AppIdentity.h"
#include "core/support/SecureMemory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QStandardPaths>

#include <algorithm>

namespace stowline {

namespace {

constexpr qint64 minimumMigrationLimit = 1000;

ArchiveLoadError leftInPlace(ArchiveStoreError error) {
    return {std::move(error), ArchiveLoadError::Disposition::leftInPlace, {}};
}

int keySlot(ArchiveProtectionMode mode) {
    return mode == ArchiveProtectionMode::keychain ? 1 : 0;
}

} // namespace

QString ArchiveStoreError::describe() const {
    switch (kind) {
    case Kind::fileSystem:
        return file.describe();
    case Kind::localKey:
        return localKey.describe();
    case Kind::keychainKey:
        return keychainKey.describe();
    case Kind::cipher:
        return cipher.describe();
    case Kind::protectionChangeInProgress:
        return QStringLiteral("a change of protection is already in progress");
    }
    return {};
}

bool ArchiveLoadError::healsByItself() const {
    using KeyKind = KeychainKeyStoreError::Kind;
    return disposition == Disposition::leftInPlace && error.kind == ArchiveStoreError::Kind::keychainKey &&
           (error.keychainKey.kind == KeyKind::locked || error.keychainKey.kind == KeyKind::unreachable);
}

EncryptedArchiveStore::EncryptedArchiveStore(QString directory, SecretStore& secrets)
    : m_directory(std::move(directory))
    , m_keyStore(secrets, AppIdentity::applicationIdentifier() + QStringLiteral(".archive-key.production"),
                 QStringLiteral("primary")) {}

QString EncryptedArchiveStore::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
           AppIdentity::applicationIdentifier();
}

QString EncryptedArchiveStore::localArchivePath() const {
    return m_directory + QStringLiteral("/history-local.stwl");
}

QString EncryptedArchiveStore::keychainArchivePath() const {
    return m_directory + QStringLiteral("/history-keychain.stwl");
}

QString EncryptedArchiveStore::legacyKeychainArchivePath() const {
    return m_directory + QStringLiteral("/history.stwl");
}

QString EncryptedArchiveStore::localKeyPath() const {
    return m_directory + QStringLiteral("/Local Protection/archive.key");
}

QString EncryptedArchiveStore::archivePath(ArchiveProtectionMode mode) const {
    return mode == ArchiveProtectionMode::keychain ? keychainArchivePath() : localArchivePath();
}

QString EncryptedArchiveStore::journalPath(ArchiveProtectionMode mode) const {
    return archivePath(mode) + QStringLiteral(".journal");
}

EncryptedArchiveStore::OnDisk& EncryptedArchiveStore::onDisk(ArchiveProtectionMode mode) {
    return m_onDisk[mode == ArchiveProtectionMode::keychain ? 1 : 0];
}

const EncryptedArchiveStore::OnDisk& EncryptedArchiveStore::onDisk(ArchiveProtectionMode mode) const {
    return m_onDisk[mode == ArchiveProtectionMode::keychain ? 1 : 0];
}

void EncryptedArchiveStore::setCompactionLimits(double share, qint64 minimumBytes, qint64 maximumRecords) {
    m_compactionShare = share;
    m_compactionMinimumBytes = minimumBytes;
    m_compactionMaximumRecords = quint64(std::max<qint64>(1, maximumRecords));
}

Result<QByteArrayView, ArchiveStoreError> EncryptedArchiveStore::key(ArchiveProtectionMode mode, bool* replaced) {
    // Read afresh each time, so a key file or keyring entry that changed is noticed; the copy read is wiped at
    // once and only the locked buffer keeps the key.
    QByteArray fetched;
    const SecureMemory::WipeOnExit wiped(fetched);
    if (mode == ArchiveProtectionMode::keychain) {
        auto key = m_keyStore.loadOrCreate();
        if (!key)
            return fail(ArchiveStoreError::of(key.error()));
        fetched = std::move(key).value();
    } else {
        auto key = LocalKeyFileStore::loadOrCreate(localKeyPath());
        if (!key)
            return fail(ArchiveStoreError::of(key.error()));
        fetched = std::move(key).value();
    }
    return m_keys.store(keySlot(mode), fetched, replaced);
}

Result<StowlineArchive, ArchiveLoadError> EncryptedArchiveStore::openArchive(const QString& path, QByteArrayView key,
                                                                             Access access, QByteArray* nonce) {
    std::optional<Result<StowlineArchive, StowlineCipherError>> archive;
    bool firstRead = true;
    const auto read = ArchiveFiles::readInPieces(path, [&](qint64 size, const ArchiveFiles::NextBytes& next) {
        archive = StowlineCipher::open(
            size,
            [&](char* into, qint64 bytes) {
                if (!next(into, bytes))
                    return false;
                // The first bytes asked for are the nonce, which the journal is tied to.
                if (nonce && std::exchange(firstRead, false))
                    *nonce = QByteArray(into, qsizetype(bytes));
                return true;
            },
            key);
    });
    if (!read)
        return fail(leftInPlace(ArchiveStoreError::of(read.error())));
    if (archive->ok())
        return std::move(*archive).value();
    if (access == Access::readOnly)
        return fail(ArchiveLoadError{
            ArchiveStoreError::of(archive->error()), ArchiveLoadError::Disposition::unreadableInPlace, {}});
    return fail(quarantine(path, archive->error()));
}

ArchiveLoadError EncryptedArchiveStore::quarantine(const QString& path, StowlineCipherError cipherError) {
    // Never deleted and never overwritten: a second failure in the same second gets its own name.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).replace(QLatin1Char(':'), QLatin1Char('-'));
    const auto moved =
        ArchiveFiles::moveToFreeName(path, m_directory + QStringLiteral("/history-corrupt-") + stamp, u".stwl"_qs);
    ArchiveLoadError error{
        ArchiveStoreError::of(std::move(cipherError)), ArchiveLoadError::Disposition::unreadableInPlace, {}};
    if (moved) {
        error.disposition = ArchiveLoadError::Disposition::movedAside;
        error.quarantinePath = *moved;
        // The archive's journal goes with it, under the same name, so the two can be read together later.
        for (const ArchiveProtectionMode mode : {ArchiveProtectionMode::localFile, ArchiveProtectionMode::keychain}) {
            if (path == archivePath(mode) && ArchiveFiles::exists(journalPath(mode))) {
                (void)ArchiveFiles::moveToFreeName(journalPath(mode), *moved, u".journal"_qs);
                onDisk(mode) = {};
            }
        }
    }
    return error;
}

Result<StowlineArchive, ArchiveLoadError> EncryptedArchiveStore::replayJournal(ArchiveProtectionMode mode,
                                                                               StowlineArchive archive,
                                                                               const QByteArray& nonce,
                                                                               QByteArrayView key, Access access) {
    std::optional<JournalState>& state = onDisk(mode).journal;
    const qint64 archiveBytes = QFileInfo(archivePath(mode)).size();
    const QString path = journalPath(mode);
    // Without a journal, or with one already folded into this archive, the first change starts a new journal in
    // its place.
    const JournalState fresh{HistoryJournal::header(nonce), 0, 0, archiveBytes};
    if (!ArchiveFiles::exists(path)) {
        state = fresh;
        return archive;
    }
    auto bytes = ArchiveFiles::readAll(path);
    if (!bytes) {
        state.reset();
        return fail(leftInPlace(ArchiveStoreError::of(bytes.error())));
    }
    HistoryJournal::Reading reading = HistoryJournal::read(*bytes, nonce, key);
    SecureMemory::wipe(*bytes);
    using State = HistoryJournal::Reading::State;
    if (reading.state == State::superseded) {
        state = fresh;
        return archive;
    }
    JournalReplay replay(std::move(archive.items));
    size_t applied = 0;
    while (applied < reading.changes.size() && replay.apply(reading.changes[applied]))
        ++applied;
    archive.items = replay.takeItems();
    if (reading.state == State::current && applied == reading.changes.size()) {
        state = JournalState{HistoryJournal::header(nonce), reading.validLength, quint64(applied), archiveBytes};
        return archive;
    }

    JournalDamage damage;
    damage.unreadableChanges = qint64(reading.changes.size() - applied) + reading.unreadableRecords;
    if (applied > 0 && reading.changes[applied - 1].savedAt)
        damage.since = reading.changes[applied - 1].savedAt->toDateTime();
    else
        damage.since = QFileInfo(archivePath(mode)).lastModified().toUTC();
    keepDamagedJournal(mode, std::move(damage), access);
    if (access == Access::readWrite && applied > 0 && !ArchiveFiles::exists(path)) {
        // The changes that were read live only in the file moved aside: the archive takes them now. Should this
        // fail, the history holds them and the next save writes them.
        (void)save(archive.items, mode);
    }
    return archive;
}

void EncryptedArchiveStore::keepDamagedJournal(ArchiveProtectionMode mode, JournalDamage damage, Access access) {
    // Unknown from here on: the next save must move whatever lies at the journal's place aside first.
    onDisk(mode).journal.reset();
    damage.keptAt = journalPath(mode);
    if (access == Access::readWrite) {
        if (auto moved = moveJournalAside(mode)) {
            damage.keptAt = *moved;
            damage.movedAside = true;
        }
    }
    m_journalDamage[keySlot(mode)] = std::move(damage);
}

Result<QString, FileError> EncryptedArchiveStore::moveJournalAside(ArchiveProtectionMode mode) {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).replace(QLatin1Char(':'), QLatin1Char('-'));
    return ArchiveFiles::moveToFreeName(
        journalPath(mode), m_directory + QStringLiteral("/history-unread-journal-") + stamp, u".journal"_qs);
}

const std::optional<JournalDamage>& EncryptedArchiveStore::journalDamage(ArchiveProtectionMode mode) const {
    return m_journalDamage[keySlot(mode)];
}

ArchiveProtectionMode EncryptedArchiveStore::modeHoldingHistory(ArchiveProtectionMode preferred) const {
    const ArchiveProtectionMode other = preferred == ArchiveProtectionMode::keychain ? ArchiveProtectionMode::localFile
                                                                                     : ArchiveProtectionMode::keychain;
    if (!holdsHistory(preferred) && !ArchiveFiles::exists(journalPath(preferred)) &&
        ArchiveFiles::exists(archivePath(other)))
        return other;
    return preferred;
}

std::optional<QString> EncryptedArchiveStore::securePermissions() const {
    QStringList found;
    const auto check = [&found](const QString& path, unsigned privateMode) {
        const ArchiveFiles::PrivacyCheck privacy = ArchiveFiles::makePrivateIfOpen(path, privateMode);
        const QString mode = QString::number(privacy.mode, 8).rightJustified(4, QLatin1Char('0'));
        switch (privacy.state) {
        case ArchiveFiles::PrivacyCheck::State::privateAlready:
            return;
        case ArchiveFiles::PrivacyCheck::State::madePrivate:
            found.append(QStringLiteral("%1 was open to other users (permissions %2); Stowline made it private.")
                             .arg(path, mode));
            return;
        case ArchiveFiles::PrivacyCheck::State::openToOthers:
            found.append(QStringLiteral("%1 is open to other users (permissions %2) and Stowline cannot change "
                                        "that; make it private to you.")
                             .arg(path, mode));
            return;
        }
    };
    check(m_directory, 0700);
    check(QFileInfo(localKeyPath()).absolutePath(), 0700);
    check(localKeyPath(), 0600);
    if (found.isEmpty())
        return std::nullopt;
    return found.join(QLatin1Char(' '));
}

bool EncryptedArchiveStore::holdsHistory(ArchiveProtectionMode mode) const {
    return ArchiveFiles::exists(archivePath(mode)) ||
           (mode == ArchiveProtectionMode::keychain && ArchiveFiles::exists(legacyKeychainArchivePath()));
}

Result<StowlineArchive, ArchiveLoadError> EncryptedArchiveStore::load(ArchiveProtectionMode mode, Access access) {
    onDisk(mode) = {};
    m_journalDamage[keySlot(mode)].reset();
    if (!holdsHistory(mode)) {
        if (ArchiveFiles::exists(journalPath(mode))) {
            // Changes with no archive to apply them to: kept for whoever can tell what they belonged to.
            auto bytes = ArchiveFiles::readAll(journalPath(mode));
            keepDamagedJournal(
                mode,
                {bytes ? std::max<qint64>(1, HistoryJournal::recordsFrom(*bytes, HistoryJournal::headerByteCount)) : 1,
                 QFileInfo(journalPath(mode)).lastModified().toUTC(),
                 {},
                 false},
                access);
        }
        return StowlineArchive{};
    }
    const QString path = ArchiveFiles::exists(archivePath(mode)) ? archivePath(mode) : legacyKeychainArchivePath();
    if (access == Access::readOnly && mode == ArchiveProtectionMode::localFile && !ArchiveFiles::exists(localKeyPath()))
        // Creating a key is a write; without one the archive cannot be read anyway.
        return fail(
            leftInPlace(ArchiveStoreError::of(FileError{localKeyPath(), QStringLiteral("the file is missing")})));
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(leftInPlace(archiveKey.error()));
    QByteArray nonce;
    auto archive = openArchive(path, *archiveKey, access, &nonce);
    if (!archive || path != archivePath(mode))
        return archive;
    return replayJournal(mode, std::move(archive).value(), nonce, *archiveKey, access);
}

Result<HistoryEngine, ArchiveLoadError> EncryptedArchiveStore::loadHistory(ArchiveProtectionMode mode,
                                                                           const TextFolder& folder) {
    auto loaded = load(mode);
    if (!loaded)
        return fail(loaded.error());
    HistoryEngine history(loaded->items, folder);
    onDisk(mode).history = history;
    return history;
}

Status<ArchiveStoreError> EncryptedArchiveStore::save(const QList<ClipItem>& items, ArchiveProtectionMode mode) {
    return save(
        items.size(), [&](qsizetype i) -> const ClipItem& { return items[i]; }, mode);
}

Status<ArchiveStoreError> EncryptedArchiveStore::save(const HistoryEngine& history, ArchiveProtectionMode mode) {
    auto saved = save(
        history.size(), [&](qsizetype i) -> const ClipItem& { return history.at(i); }, mode);
    if (saved)
        onDisk(mode).history = history;
    return saved;
}

Status<ArchiveStoreError> EncryptedArchiveStore::save(qsizetype count,
                                                      const std::function<const ClipItem&(qsizetype)>& itemAt,
                                                      ArchiveProtectionMode mode) {
    if (auto folder = ArchiveFiles::makePrivateFolder(m_directory); !folder)
        return fail(ArchiveStoreError::of(folder.error()));
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(archiveKey.error());
    const QString path = archivePath(mode);
    const QString journalFile = journalPath(mode);
    // The old archive and journal stay as they were until the rename: a save that fails before it leaves them
    // known, so the next change still goes to the journal (over a fold record this one may have left).
    OnDisk previous = std::exchange(onDisk(mode), {});
    const std::optional<JournalState>& known = previous.journal;
    if (!known && ArchiveFiles::exists(journalFile)) {
        // Not read or written by this store, so it may hold changes the history does not: kept, never replaced.
        if (auto moved = moveJournalAside(mode); !moved)
            return fail(ArchiveStoreError::of(moved.error()));
    }
    std::optional<JournalState>& state = onDisk(mode).journal;
    // Sealed in pieces straight into the file, so a rewrite of a large history holds one piece, not a copy.
    std::optional<Result<QByteArray, StowlineCipherError>> sealed;
    qint64 archiveBytes = 0;
    auto written = ArchiveFiles::replaceAtomically(path, [&](const std::function<bool(QByteArrayView)>& sink) {
        sealed = StowlineCipher::sealInPieces(count, itemAt, *archiveKey, [&](QByteArrayView piece) {
            archiveBytes += piece.size();
            return sink(piece);
        });
        if (!sealed->ok())
            return false;
        if (known && known->length > 0 && ArchiveFiles::exists(journalFile)) {
            // Written before the rename: a crash between the rename and the journal's removal then leaves a
            // journal that says it is in this archive. Without it (the journal cannot be written) such a crash
            // leaves one that is moved aside and reported at the next start; nothing is lost either way.
            if (auto fold = HistoryJournal::sealFold(**sealed, *archiveKey, known->header, known->records))
                (void)ArchiveFiles::writeAtEndDurably(journalFile, known->length, *fold);
        }
        return true;
    });
    if (!written || (sealed && !sealed->ok())) {
        onDisk(mode) = std::move(previous);
        return fail(written ? ArchiveStoreError::of(sealed->error()) : ArchiveStoreError::of(written.error()));
    }
    // Best effort: the file was already written private.
    QFile::setPermissions(path, ArchiveFiles::privateFile);

    // Should the removal fail, the journal's place is unknown ground and the next save moves it aside first.
    if (ArchiveFiles::removeIfPresent(journalFile).ok())
        state = JournalState{HistoryJournal::header(**sealed), 0, 0, archiveBytes};
    return Unit{};
}

Status<ArchiveStoreError> EncryptedArchiveStore::saveChange(const HistoryEngine& history, ArchiveProtectionMode mode) {
    OnDisk& disk = onDisk(mode);
    if (!disk.history || !disk.journal || !ArchiveFiles::exists(archivePath(mode)))
        return save(history, mode);
    std::optional<JournalChange> change = JournalChange::between(*disk.history, history);
    if (!change)
        return save(history, mode);
    if (change->isEmpty()) {
        disk.history = history;
        return Unit{};
    }
    JournalState& state = *disk.journal;
    change->savedAt = Timestamp::now();
    QByteArray plain = change->encode();
    const SecureMemory::WipeOnExit wipedPlain(plain);
    const qint64 limit = std::max(m_compactionMinimumBytes, qint64(double(state.archiveBytes) * m_compactionShare));
    if (state.records >= m_compactionMaximumRecords || state.length + plain.size() > limit)
        return save(history, mode);

    // A failure leaves the journal's known end where it was: whatever part of the record reached the file lies
    // past it, where the next record or a rewrite's fold record is written over it.
    bool keyReplaced = false;
    auto archiveKey = key(mode, &keyReplaced);
    if (!archiveKey)
        return fail(archiveKey.error());
    // Records sealed with a new key would not open with the archive they extend.
    if (keyReplaced)
        return save(history, mode);
    auto record = HistoryJournal::sealRecord(plain, *archiveKey, state.header, state.records);
    if (!record)
        return fail(ArchiveStoreError::of(record.error()));
    // The first record creates the journal with its header in one atomic step; later ones are appended.
    const auto written = state.length == 0 ? ArchiveFiles::replaceAtomically(journalPath(mode), state.header + *record)
                                           : ArchiveFiles::writeAtEndDurably(journalPath(mode), state.length, *record);
    // A journal that can no longer be written (gone, or no longer ours) does not stop the change from reaching
    // the disk: the archive is rewritten with it instead.
    if (!written)
        return save(history, mode);
    state.length = (state.length == 0 ? state.header.size() : state.length) + record->size();
    ++state.records;
    disk.history = history;
    return Unit{};
}

QString EncryptedArchiveStore::pendingPath(ArchiveProtectionMode mode) const {
    return m_directory + (mode == ArchiveProtectionMode::keychain ? QStringLiteral("/history-keychain-pending.stwl")
                                                                  : QStringLiteral("/history-local-pending.stwl"));
}

Status<ArchiveStoreError> EncryptedArchiveStore::savePending(const QList<ClipItem>& items, ArchiveProtectionMode mode) {
    if (auto folder = ArchiveFiles::makePrivateFolder(m_directory); !folder)
        return fail(ArchiveStoreError::of(folder.error()));
    // Only a key that exists: a new one could never open the history these clips are waiting for.
    if (mode == ArchiveProtectionMode::localFile && !ArchiveFiles::exists(localKeyPath()))
        return fail(ArchiveStoreError::of(FileError{localKeyPath(), QStringLiteral("the file is missing")}));
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(archiveKey.error());
    StowlineArchive pending;
    pending.items = items;
    auto sealed = StowlineCipher::seal(pending, *archiveKey);
    if (!sealed)
        return fail(ArchiveStoreError::of(sealed.error()));
    if (auto written = ArchiveFiles::replaceAtomically(pendingPath(mode), *sealed); !written)
        return fail(ArchiveStoreError::of(written.error()));
    return Unit{};
}

Result<QList<ClipItem>, ArchiveStoreError> EncryptedArchiveStore::loadPending(ArchiveProtectionMode mode) {
    if (!ArchiveFiles::exists(pendingPath(mode)))
        return QList<ClipItem>{};
    auto bytes = ArchiveFiles::readAll(pendingPath(mode));
    if (!bytes)
        return fail(ArchiveStoreError::of(bytes.error()));
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(archiveKey.error());
    auto pending = StowlineCipher::open(*bytes, *archiveKey);
    if (!pending)
        return fail(ArchiveStoreError::of(pending.error()));
    return std::move(pending->items);
}

Status<FileError> EncryptedArchiveStore::removePending(ArchiveProtectionMode mode) {
    return ArchiveFiles::removeIfPresent(pendingPath(mode));
}

bool EncryptedArchiveStore::hasJournalRecords(ArchiveProtectionMode mode) const {
    const std::optional<JournalState>& state = onDisk(mode).journal;
    // An unknown journal may hold records too.
    return !state || state->records > 0;
}

Status<ArchiveStoreError> EncryptedArchiveStore::compact(ArchiveProtectionMode mode) {
    if (!onDisk(mode).history || !hasJournalRecords(mode))
        return Unit{};
    // A copy: the rewrite replaces the record it is taken from.
    const HistoryEngine history = *onDisk(mode).history;
    return save(history, mode);
}

qint64 EncryptedArchiveStore::diskSize(ArchiveProtectionMode mode) const {
    const QFileInfo info(archivePath(mode));
    if (!info.isFile())
        return 0;
    const QFileInfo journalInfo(journalPath(mode));
    return info.size() + (journalInfo.isFile() ? journalInfo.size() : 0);
}

Result<QList<ClipItem>, ArchiveStoreError> EncryptedArchiveStore::migrate(const QList<ClipItem>& items,
                                                                          ArchiveProtectionMode from,
                                                                          ArchiveProtectionMode to,
                                                                          const HistoryMerge& merge) {
    if (from == to)
        return items;

    // The journal is folded into its archive first, so that every step below leaves one archive that holds the
    // whole history without a journal: a crash between removing the archive and removing its journal would
    // otherwise leave changes that belong to no archive.
    if (ArchiveFiles::exists(journalPath(from))) {
        if (auto saved = save(items, from); !saved)
            return fail(saved.error());
    }
    QList<ClipItem> result = items;
    const QString legacyPath = legacyKeychainArchivePath();
    if (to == ArchiveProtectionMode::keychain && ArchiveFiles::exists(legacyPath)) {
        auto archiveKey = key(ArchiveProtectionMode::keychain);
        if (!archiveKey)
            return fail(archiveKey.error());
        auto legacy = openArchive(legacyPath, *archiveKey, Access::readWrite);
        if (!legacy)
            return fail(legacy.error().error);
        const qint64 limit = std::max<qint64>(minimumMigrationLimit, items.size() + legacy->items.size());
        result = merge(std::move(legacy->items), items, limit);
    }

    if (auto saved = save(result, to); !saved)
        return fail(saved.error());
    // From here on a crash leaves the history only in the archive of `to`; `modeHoldingHistory` finds it there
    // even while the preference still names `from`.
    if (auto removed = ArchiveFiles::removeIfPresent(archivePath(from)); !removed)
        return fail(ArchiveStoreError::of(removed.error()));
    onDisk(from) = {};
    if (from == ArchiveProtectionMode::localFile) {
        if (auto removed = ArchiveFiles::removeIfPresent(localKeyPath()); !removed)
            return fail(ArchiveStoreError::of(removed.error()));
        m_keys.release(keySlot(from));
    }
    if (to == ArchiveProtectionMode::keychain) {
        if (auto removed = ArchiveFiles::removeIfPresent(legacyPath); !removed)
            return fail(ArchiveStoreError::of(removed.error()));
    }
    return result;
}

} // namespace stowline
