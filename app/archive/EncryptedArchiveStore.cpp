#include "app/archive/EncryptedArchiveStore.h"

#include "core/archive/StowlineCipher.h"
#include "core/support/AppIdentity.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace stowline {

namespace {

constexpr qint64 minimumMigrationLimit = 1000;

ArchiveLoadError leftInPlace(ArchiveStoreError error) {
    return {std::move(error), ArchiveLoadError::Disposition::leftInPlace, {}};
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

Result<QByteArray, ArchiveStoreError> EncryptedArchiveStore::key(ArchiveProtectionMode mode) {
    if (mode == ArchiveProtectionMode::keychain) {
        auto key = m_keyStore.loadOrCreate();
        if (!key)
            return fail(ArchiveStoreError::of(key.error()));
        return std::move(key).value();
    }
    auto key = LocalKeyFileStore::loadOrCreate(localKeyPath());
    if (!key)
        return fail(ArchiveStoreError::of(key.error()));
    return std::move(key).value();
}

Result<StowlineArchive, ArchiveLoadError> EncryptedArchiveStore::openArchive(const QString& path,
                                                                             const QByteArray& key) {
    auto bytes = ArchiveFiles::readAll(path, StowlineCipher::readPadding());
    if (!bytes)
        return fail(leftInPlace(ArchiveStoreError::of(bytes.error())));
    auto archive = StowlineCipher::open(std::move(bytes).value(), key);
    if (archive)
        return std::move(archive).value();

    // Never deleted and never overwritten: a second failure in the same second gets its own name.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).replace(QLatin1Char(':'), QLatin1Char('-'));
    const auto moved =
        ArchiveFiles::moveToFreeName(path, m_directory + QStringLiteral("/history-corrupt-") + stamp, u".stwl"_qs);
    ArchiveLoadError error{
        ArchiveStoreError::of(archive.error()), ArchiveLoadError::Disposition::unreadableInPlace, {}};
    if (moved) {
        error.disposition = ArchiveLoadError::Disposition::movedAside;
        error.quarantinePath = *moved;
    }
    return fail(std::move(error));
}

Result<StowlineArchive, ArchiveLoadError> EncryptedArchiveStore::load(ArchiveProtectionMode mode) {
    QString path = archivePath(mode);
    if (!ArchiveFiles::exists(path)) {
        if (mode != ArchiveProtectionMode::keychain || !ArchiveFiles::exists(legacyKeychainArchivePath()))
            return StowlineArchive{};
        path = legacyKeychainArchivePath();
    }
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(leftInPlace(archiveKey.error()));
    return openArchive(path, *archiveKey);
}

Status<ArchiveStoreError> EncryptedArchiveStore::save(const QList<ClipItem>& items, ArchiveProtectionMode mode) {
    if (auto folder = ArchiveFiles::makePrivateFolder(m_directory); !folder)
        return fail(ArchiveStoreError::of(folder.error()));
    auto archiveKey = key(mode);
    if (!archiveKey)
        return fail(archiveKey.error());
    StowlineArchive archive;
    archive.items = items;
    auto sealed = StowlineCipher::seal(archive, *archiveKey);
    if (!sealed)
        return fail(ArchiveStoreError::of(sealed.error()));
    const QString path = archivePath(mode);
    if (auto written = ArchiveFiles::replaceAtomically(path, *sealed); !written)
        return fail(ArchiveStoreError::of(written.error()));
    // Best effort: the file was already written private.
    QFile::setPermissions(path, ArchiveFiles::privateFile);
    return Unit{};
}

qint64 EncryptedArchiveStore::diskSize(ArchiveProtectionMode mode) const {
    const QFileInfo info(archivePath(mode));
    return info.isFile() ? info.size() : 0;
}

Result<QList<ClipItem>, ArchiveStoreError> EncryptedArchiveStore::migrate(const QList<ClipItem>& items,
                                                                          ArchiveProtectionMode from,
                                                                          ArchiveProtectionMode to,
                                                                          const HistoryMerge& merge) {
    if (from == to)
        return items;

    QList<ClipItem> result = items;
    const QString legacyPath = legacyKeychainArchivePath();
    if (to == ArchiveProtectionMode::keychain && ArchiveFiles::exists(legacyPath)) {
        auto archiveKey = key(ArchiveProtectionMode::keychain);
        if (!archiveKey)
            return fail(archiveKey.error());
        auto legacy = openArchive(legacyPath, *archiveKey);
        if (!legacy)
            return fail(legacy.error().error);
        const qint64 limit = std::max<qint64>(minimumMigrationLimit, items.size() + legacy->items.size());
        result = merge(std::move(legacy->items), items, limit);
    }

    if (auto saved = save(result, to); !saved)
        return fail(saved.error());
    if (auto removed = ArchiveFiles::removeIfPresent(archivePath(from)); !removed)
        return fail(ArchiveStoreError::of(removed.error()));
    if (from == ArchiveProtectionMode::localFile) {
        if (auto removed = ArchiveFiles::removeIfPresent(localKeyPath()); !removed)
            return fail(ArchiveStoreError::of(removed.error()));
    }
    if (to == ArchiveProtectionMode::keychain) {
        if (auto removed = ArchiveFiles::removeIfPresent(legacyPath); !removed)
            return fail(ArchiveStoreError::of(removed.error()));
    }
    return result;
}

} // namespace stowline
