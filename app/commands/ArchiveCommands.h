#pragma once

#include "app/archive/EncryptedArchiveStore.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/history/HistoryEngine.h"
#include "core/model/ClipItem.h"
#include "core/support/Result.h"

#include <QIODevice>
#include <QList>
#include <QString>

namespace stowline {

// Why an export or import failed. Every case leaves the archive as it was, except that an unreadable archive
// has been moved aside by the store (`path` then names where it went).
struct ArchiveCommandError {
    enum class Kind {
        // The key, the keyring or the archive file could not be reached (`reason`).
        archiveUnreachable,
        // The archive's content could not be decrypted or decoded; it now lies at `path`.
        archiveQuarantined,
        // As above, but moving it aside failed, so it still lies in place.
        archiveUnreadable,
        // As above, found by a command that only reads and so left it in place.
        archiveUnreadableLeftInPlace,
        // The file to import (`path`) could not be read.
        inputUnreadable,
        // The file to import (`path`) is not an archive; `reason` names the entry that failed.
        invalidInput,
        // The export (`path`) could not be written.
        outputFailed,
        // The merged history could not be saved.
        saveFailed,
    };

    Kind kind = Kind::archiveUnreachable;
    QString reason;
    QString path;

    // One line for the command line, without the program name.
    QString message() const;
};

struct ExportSummary {
    qsizetype itemCount = 0;
};

using ImportSummary = HistoryEngine::MergeSummary;

// The history's JSON export and import, on an archive store in one protection mode. Used by the command line
// when no instance runs; a running instance holds the history itself, exports with `exportJson` and imports
// through its store.
class ArchiveCommands {
public:
    using Access = EncryptedArchiveStore::Access;
    // The archive of `mode` with the load-time upgrades applied, as the application holds it after start-up.
    // An upgrade the application would save is left to the application; a read-only load writes nothing at all.
    static Result<QList<ClipItem>, ArchiveCommandError>
    loadHistory(EncryptedArchiveStore& store, ArchiveProtectionMode mode, Access access = Access::readWrite);
    // What a load found wrong with the journal, as a line for the command line; empty when nothing.
    static QString journalWarning(const EncryptedArchiveStore& store, ArchiveProtectionMode mode);

    // The unencrypted JSON of an archive of the current schema holding `items`.
    static QByteArray exportJson(const QList<ClipItem>& items);

    // Writes the export to `output` (opened for writing when it is not open yet); `outputName` names it in
    // messages.
    static Result<ExportSummary, ArchiveCommandError> exportHistory(EncryptedArchiveStore& store,
                                                                    ArchiveProtectionMode mode, QIODevice& output,
                                                                    const QString& outputName);
    // Writes the export to `path` as a new file readable by the owner only (ArchiveFiles::writeNewFile): never
    // through a link, and over an existing file only with `replace`; nothing is written on failure.
    static Result<ExportSummary, ArchiveCommandError>
    exportHistoryToFile(EncryptedArchiveStore& store, ArchiveProtectionMode mode, const QString& path, bool replace);

    // Decodes an export of any supported schema from `input` (opened for reading when it is not open yet);
    // `inputName` names it in messages.
    static Result<QList<ClipItem>, ArchiveCommandError> readExport(QIODevice& input, const QString& inputName);

    // The line that reports an import, without the program name and the newline.
    static QString describe(const ImportSummary& summary, qint64 historyLimit);

    // Reads the export first, so a file that does not decode changes nothing; then loads, merges and saves.
    static Result<ImportSummary, ArchiveCommandError> importHistory(EncryptedArchiveStore& store,
                                                                    ArchiveProtectionMode mode, qint64 historyLimit,
                                                                    QIODevice& input, const QString& inputName);
};

} // namespace stowline
