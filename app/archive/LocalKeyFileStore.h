#pragma once

#include "app/archive/ArchiveFiles.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QString>

namespace stowline {

struct LocalKeyFileStoreError {
    enum class Kind {
        randomGenerationFailed,
        // The key file does not hold exactly 32 bytes.
        invalidKey,
        // The key file or its folder could not be read or written (`file`).
        fileSystem,
    };

    Kind kind = Kind::fileSystem;
    FileError file;

    QString describe() const;
};

// The archive key as 32 raw bytes in a private file beside the archive.
class LocalKeyFileStore {
public:
    static constexpr qsizetype keyByteCount = 32;

    // Reads the key, or creates it (folder 0700, file 0600, written atomically) when the file does not exist.
    static Result<QByteArray, LocalKeyFileStoreError> loadOrCreate(const QString& path);
};

} // namespace stowline
