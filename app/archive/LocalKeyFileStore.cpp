#include "app/archive/LocalKeyFileStore.h"

#include "core/support/SecureRandom.h"

#include <QFile>
#include <QFileInfo>

namespace stowline {

QString LocalKeyFileStoreError::describe() const {
    switch (kind) {
    case Kind::randomGenerationFailed:
        return QStringLiteral("the secure random generator failed");
    case Kind::invalidKey:
        return QStringLiteral("the key file does not hold a 32-byte key");
    case Kind::fileSystem:
        return file.describe();
    }
    return {};
}

Result<QByteArray, LocalKeyFileStoreError> LocalKeyFileStore::loadOrCreate(const QString& path) {
    using Kind = LocalKeyFileStoreError::Kind;
    if (ArchiveFiles::exists(path)) {
        auto key = ArchiveFiles::readAll(path);
        if (!key)
            return fail(LocalKeyFileStoreError{Kind::fileSystem, key.error()});
        if (key->size() != keyByteCount)
            return fail(LocalKeyFileStoreError{Kind::invalidKey, {}});
        return std::move(key).value();
    }

    if (auto folder = ArchiveFiles::makePrivateFolder(QFileInfo(path).absolutePath()); !folder)
        return fail(LocalKeyFileStoreError{Kind::fileSystem, folder.error()});
    auto key = SecureRandom::bytes(keyByteCount);
    if (!key)
        return fail(LocalKeyFileStoreError{Kind::randomGenerationFailed, {}});
    if (auto written = ArchiveFiles::replaceAtomically(path, *key); !written)
        return fail(LocalKeyFileStoreError{Kind::fileSystem, written.error()});
    if (!QFile::setPermissions(path, ArchiveFiles::privateFile))
        return fail(LocalKeyFileStoreError{Kind::fileSystem, {path, QStringLiteral("cannot restrict permissions")}});
    return *key;
}

} // namespace stowline
