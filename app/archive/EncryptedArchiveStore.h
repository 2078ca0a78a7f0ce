#pragma once

#include "app/archive/ArchiveFiles.h"
#include "app/archive/KeychainKeyStore.h"
#include "app/archive/LocalKeyFileStore.h"
#include "app/archive/LockedKeyBuffer.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/archive/StowlineArchive.h"
#include "core/archive/StowlineCipherError.h"
#include "core/history/HistoryEngine.h"
#include "core/support/Result.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace stowline {

class SecretStore;

// Why a load, save or migration failed; `kind` says which of the payloads applies.
struct ArchiveStoreError {
    // `protectionChangeInProgress`: asked to change the protection mode while a change runs.
    enum class Kind { fileSystem, localKey, keychainKey, cipher, protectionChangeInProgress };

    Kind kind = Kind::fileSystem;
    FileError file;
    LocalKeyFileStoreError localKey;
    KeychainKeyStoreError keychainKey;
    StowlineCipherError cipher;

    static ArchiveStoreError of(FileError error) { return {Kind::fileSystem, std::move(error), {}, {}, {}}; }
    static ArchiveStoreError of(LocalKeyFileStoreError error) { return {Kind::localKey, {}, std::move(error), {}, {}}; }
    static ArchiveStoreError of(KeychainKeyStoreError error) {
        return {Kind::keychainKey, {}, {}, std::move(error), {}};
    }
    static ArchiveStoreError of(StowlineCipherError error) { return {Kind::cipher, {}, {}, {}, std::move(error)}; }

    // One line for command-line messages.
    QString describe() const;
};

// A failed load, and what became of the archive: callers may start a fresh history (and later overwrite the
// archive's place) only when its content was unreadable, never when merely the key or the file was out of reach.
struct ArchiveLoadError {
    enum class Disposition {
        // The key, the keyring or the file could not be reached; the archive is untouched and may be fine.
        leftInPlace,
        // The content could not be decrypted or decoded; the file now lies at `quarantinePath`.
        movedAside,
        // The content could not be decrypted or decoded and moving it aside failed; it still lies in place.
        unreadableInPlace,
    };

    ArchiveStoreError error;
    Disposition disposition = Disposition::leftInPlace;
    QString quarantinePath;

    bool contentUnreadable() const { return disposition != Disposition::leftInPlace; }
    // The keyring is locked, not running yet or not answering: opening may succeed later without the user's
    // help. Anything else (a key of the wrong form, a file that cannot be read) needs the user to act.
    bool healsByItself() const;
};

// A journal whose changes could not all be read. The archive and the changes before the damage open; the
// journal itself is kept, never removed.
struct JournalDamage {
    qint64 unreadableChanges = 0;
    // When the last change that could be read was saved (without one: when the archive was written).
    std::optional<QDateTime> since;
    // Where the journal now lies; its own place when it could not be moved or the load was read-only.
    QString keptAt;
    bool movedAside = false;
};

// Puts the history on disk and gets it back: one archive file per protection mode, sealed with the key of
// that mode, replaced atomically, with an unreadable archive moved aside rather than overwritten. Beside each
// archive a journal holds the changes saved since the archive was written, so a save costs the change and not
// the whole history; the archive is rewritten (and the journal emptied) when the journal grows past a share of
// it. Keeps the one record of what each mode's files hold; calls must not overlap (the history's persistence runs
// them on its save queue).
class EncryptedArchiveStore {
public:
    // Merges the entries of the older single-archive layout with the current ones; the history's persistence
    // passes its history engine's rules. Arguments: legacy entries, current entries, history limit to apply.
    using HistoryMerge =
        std::function<QList<ClipItem>(QList<ClipItem> legacy, const QList<ClipItem>& current, qint64 limit)>;

    // `directory` holds the archives and the key folder; `secrets` backs the keyring mode and must outlive the
    // store.
    EncryptedArchiveStore(QString directory, SecretStore& secrets);

    // $XDG_DATA_HOME/<application identifier>.
    static QString defaultDirectory();

    const QString& directoryPath() const { return m_directory; }
    QString localArchivePath() const;
    QString keychainArchivePath() const;
    QString legacyKeychainArchivePath() const;
    QString localKeyPath() const;
    QString archivePath(ArchiveProtectionMode mode) const;
    QString journalPath(ArchiveProtectionMode mode) const;
    const KeychainKeyStore& keyStore() const { return m_keyStore; }

    // Makes the data folder, the key folder and the key file private again when others can reach them and they
    // are this user's; returns what the user should be told (also when they could not be made private).
    std::optional<QString> securePermissions() const;

    // Whether `load` would read a file: the archive of `mode` (or, for the keyring, of the older layout) exists.
    bool holdsHistory(ArchiveProtectionMode mode) const;
    // `preferred`, unless only the other mode holds a history: a move between modes that ended before the
    // preference was updated (or was cut short after the old archive was removed) left it there.
    ArchiveProtectionMode modeHoldingHistory(ArchiveProtectionMode preferred) const;
    // `readOnly` loads never move, rewrite or remove a file: an unreadable archive or a damaged journal is
    // reported and left where it is.
    enum class Access { readWrite, readOnly };
    // The archive of `mode` with the longest run of its journal's records that authenticate replayed, or an
    // empty history when none exists (no key is created then). A journal already folded into the archive is
    // ignored; a torn end is cut off by the next change. A damaged journal (see `HistoryJournal`) is moved aside
    // and reported by `journalDamage`, and the archive with the changes before the damage is written at once, so
    // they do not depend on the file moved aside.
    Result<StowlineArchive, ArchiveLoadError> load(ArchiveProtectionMode mode, Access access = Access::readWrite);
    // As `load`, as a history whose searches fold text with `folder`; later changes are saved as changes to it.
    Result<HistoryEngine, ArchiveLoadError> loadHistory(ArchiveProtectionMode mode, const TextFolder& folder);
    // What the last `load` of `mode` found wrong with the journal; absent when nothing.
    const std::optional<JournalDamage>& journalDamage(ArchiveProtectionMode mode) const;
    // Rewrites the whole archive, then removes the journal. Before the rename a fold record naming the new
    // archive is appended to the journal, so a crash before the removal leaves a journal known to be in the
    // archive. A journal this store did not read or write is moved aside first, and the save fails when it
    // cannot be.
    Status<ArchiveStoreError> save(const QList<ClipItem>& items, ArchiveProtectionMode mode);
    Status<ArchiveStoreError> save(const HistoryEngine& history, ArchiveProtectionMode mode);
    // Saves `history` as a change to the history this store last loaded (`loadHistory`) or saved in this mode: one
    // record appended to the journal and flushed to disk. Rewrites the archive instead when the journal has grown
    // past its share, when what the files hold is unknown, or when the change cannot be expressed.
    Status<ArchiveStoreError> saveChange(const HistoryEngine& history, ArchiveProtectionMode mode);
    // Whether the mode's journal holds changes the archive does not (a rewrite would empty it).
    bool hasJournalRecords(ArchiveProtectionMode mode) const;
    // Folds the journal into a rewritten archive when it holds changes and the history they lead to is known.
    Status<ArchiveStoreError> compact(ArchiveProtectionMode mode);
    // Clips taken in while the history of `mode` could not be opened, sealed with its key in a file of their own
    // beside the archive (never in the archive's place), replaced on each call; merged by the history's
    // persistence once the history opens, then removed. Loading gives an empty list when there is no such file.
    QString pendingPath(ArchiveProtectionMode mode) const;
    Status<ArchiveStoreError> savePending(const QList<ClipItem>& items, ArchiveProtectionMode mode);
    Result<QList<ClipItem>, ArchiveStoreError> loadPending(ArchiveProtectionMode mode);
    Status<FileError> removePending(ArchiveProtectionMode mode);
    // Bytes of the mode's archive and journal; 0 when they are missing or unreadable.
    qint64 diskSize(ArchiveProtectionMode mode) const;

    // The archive is rewritten once the journal passes `share` of its size (but not below `minimumBytes`) or
    // holds `maximumRecords` changes, which bounds the replay at start.
    void setCompactionLimits(double share, qint64 minimumBytes, qint64 maximumRecords);
    // Moves the history to the archive of `to` and removes what belonged to `from`; returns the entries the
    // store should hold afterwards. On failure the `from` archive stays unless its removal was already done.
    Result<QList<ClipItem>, ArchiveStoreError> migrate(const QList<ClipItem>& items, ArchiveProtectionMode from,
                                                       ArchiveProtectionMode to, const HistoryMerge& merge);

private:
    // Where the journal of a mode ends, for the archive it extends.
    struct JournalState {
        QByteArray header;
        qint64 length = 0;
        quint64 records = 0;
        qint64 archiveBytes = 0;
    };
    // What a mode's files hold, as this store last read or wrote them: the history (absent when it was written
    // from a plain list or could not be read) and where the journal ends (absent when unknown). Without both,
    // the next save rewrites the archive.
    struct OnDisk {
        std::optional<HistoryEngine> history;
        std::optional<JournalState> journal;
    };

    Status<ArchiveStoreError> save(qsizetype count, const std::function<const ClipItem&(qsizetype)>& itemAt,
                                   ArchiveProtectionMode mode);
    // The key of `mode` from its store, kept in the locked buffer; `replaced` tells whether it differs from the
    // key this store used before (the key file was replaced meanwhile).
    Result<QByteArrayView, ArchiveStoreError> key(ArchiveProtectionMode mode, bool* replaced = nullptr);
    Result<StowlineArchive, ArchiveLoadError> openArchive(const QString& path, QByteArrayView key, Access access,
                                                          QByteArray* nonce = nullptr);
    Result<StowlineArchive, ArchiveLoadError> replayJournal(ArchiveProtectionMode mode, StowlineArchive archive,
                                                            const QByteArray& nonce, QByteArrayView key, Access access);
    // Records `damage` for `mode` and, unless read-only, moves the journal aside.
    void keepDamagedJournal(ArchiveProtectionMode mode, JournalDamage damage, Access access);
    Result<QString, FileError> moveJournalAside(ArchiveProtectionMode mode);
    ArchiveLoadError quarantine(const QString& path, StowlineCipherError error);
    OnDisk& onDisk(ArchiveProtectionMode mode);
    const OnDisk& onDisk(ArchiveProtectionMode mode) const;

    QString m_directory;
    KeychainKeyStore m_keyStore;
    LockedKeyBuffer m_keys;
    std::array<OnDisk, 2> m_onDisk;
    std::array<std::optional<JournalDamage>, 2> m_journalDamage;
    double m_compactionShare = 0.25;
    qint64 m_compactionMinimumBytes = 256 * 1024;
    quint64 m_compactionMaximumRecords = 4096;
};

} // namespace stowline
