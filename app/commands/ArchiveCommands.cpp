#include "app/commands/ArchiveCommands.h"

#include "app/archive/ArchiveFiles.h"
#include "core/archive/StowlineArchive.h"
#include "core/history/StoredClipUpgrade.h"
#include "core/model/EnumTraits.h"

#include <QFileDevice>

namespace stowline {

namespace {

using Kind = ArchiveCommandError::Kind;

QList<ClipItem> upgraded(QList<ClipItem> items) {
    return upgradeStoredClips(std::move(items)).items;
}

ArchiveCommandError loadFailure(const ArchiveLoadError& error, EncryptedArchiveStore::Access access) {
    switch (error.disposition) {
    case ArchiveLoadError::Disposition::leftInPlace:
        return {Kind::archiveUnreachable, error.error.describe(), {}};
    case ArchiveLoadError::Disposition::movedAside:
        return {Kind::archiveQuarantined, error.error.describe(), error.quarantinePath};
    case ArchiveLoadError::Disposition::unreadableInPlace:
        break;
    }
    return {access == EncryptedArchiveStore::Access::readOnly ? Kind::archiveUnreadableLeftInPlace
                                                              : Kind::archiveUnreadable,
            error.error.describe(),
            {}};
}

QString deviceError(const QIODevice& device) {
    const QString reason = device.errorString();
    return reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}

} // namespace

QString ArchiveCommandError::message() const {
    switch (kind) {
    case Kind::archiveUnreachable:
        return QStringLiteral("the history cannot be opened (%1); nothing was changed").arg(reason);
    case Kind::archiveQuarantined:
        return QStringLiteral("the history archive is unreadable (%1); it was moved to %2 and the history starts "
                              "empty")
            .arg(reason, path);
    case Kind::archiveUnreadable:
        return QStringLiteral("the history archive is unreadable (%1) and could not be moved aside").arg(reason);
    case Kind::archiveUnreadableLeftInPlace:
        return QStringLiteral("the history archive is unreadable (%1); it was left as it is").arg(reason);
    case Kind::inputUnreadable:
        return QStringLiteral("cannot read %1 (%2); nothing was imported").arg(path, reason);
    case Kind::invalidInput:
        return QStringLiteral("%1 is not a Stowline export (%2); nothing was imported").arg(path, reason);
    case Kind::outputFailed:
        return QStringLiteral("cannot write %1 (%2)").arg(path, reason);
    case Kind::saveFailed:
        return QStringLiteral("the history could not be saved (%1); nothing was changed").arg(reason);
    }
    return {};
}

Result<QList<ClipItem>, ArchiveCommandError> ArchiveCommands::loadHistory(EncryptedArchiveStore& store,
                                                                          ArchiveProtectionMode mode, Access access) {
    auto archive = store.load(mode, access);
    if (!archive)
        return fail(loadFailure(archive.error(), access));
    // The order the application holds, which is the order the archive was saved in unless a writer erred.
    return HistoryEngine(upgraded(std::move(archive->items))).items();
}

QString ArchiveCommands::journalWarning(const EncryptedArchiveStore& store, ArchiveProtectionMode mode) {
    const std::optional<JournalDamage>& damage = store.journalDamage(mode);
    if (!damage)
        return {};
    const QString since = damage->since ? damage->since->toLocalTime().toString(Qt::ISODate) : QStringLiteral("?");
    const QString changes = damage->unreadableChanges == 1
                                ? QStringLiteral("1 change")
                                : QStringLiteral("%1 changes").arg(damage->unreadableChanges);
    return QStringLiteral("the history's journal is damaged: %1 saved since %2 could not be read and are missing "
                          "here; the journal %3 %4")
        .arg(changes, since, damage->movedAside ? QStringLiteral("was kept as") : QStringLiteral("was left at"),
             damage->keptAt);
}

QByteArray ArchiveCommands::exportJson(const QList<ClipItem>& items) {
    StowlineArchive archive;
    archive.items = items;
    return archive.encode();
}

Result<ExportSummary, ArchiveCommandError> ArchiveCommands::exportHistory(EncryptedArchiveStore& store,
                                                                          ArchiveProtectionMode mode, QIODevice& output,
                                                                          const QString& outputName) {
    auto items = loadHistory(store, mode, Access::readOnly);
    if (!items)
        return fail(items.error());
    const QByteArray json = exportJson(*items);
    if (!output.isOpen() && !output.open(QIODevice::WriteOnly))
        return fail(ArchiveCommandError{Kind::outputFailed, deviceError(output), outputName});
    if (output.write(json) != json.size())
        return fail(ArchiveCommandError{Kind::outputFailed, deviceError(output), outputName});
    if (auto* file = qobject_cast<QFileDevice*>(&output); file && !file->flush())
        return fail(ArchiveCommandError{Kind::outputFailed, deviceError(output), outputName});
    return ExportSummary{items->size()};
}

Result<ExportSummary, ArchiveCommandError> ArchiveCommands::exportHistoryToFile(EncryptedArchiveStore& store,
                                                                                ArchiveProtectionMode mode,
                                                                                const QString& path, bool replace) {
    auto items = loadHistory(store, mode, Access::readOnly);
    if (!items)
        return fail(items.error());
    // The export is the history in the clear: owner-only from its first byte, and complete or absent.
    if (auto written = ArchiveFiles::writeNewFile(path, exportJson(*items), replace); !written)
        return fail(ArchiveCommandError{Kind::outputFailed, written.error().reason, path});
    return ExportSummary{items->size()};
}

Result<QList<ClipItem>, ArchiveCommandError> ArchiveCommands::readExport(QIODevice& input, const QString& inputName) {
    if (!input.isOpen() && !input.open(QIODevice::ReadOnly))
        return fail(ArchiveCommandError{Kind::inputUnreadable, deviceError(input), inputName});
    const QByteArray json = input.readAll();
    if (auto* file = qobject_cast<QFileDevice*>(&input); file && file->error() != QFileDevice::NoError)
        return fail(ArchiveCommandError{Kind::inputUnreadable, deviceError(input), inputName});
    auto archive = StowlineArchive::decode(json);
    if (!archive)
        return fail(ArchiveCommandError{Kind::invalidInput, archive.error().describe(), inputName});
    return std::move(archive->items);
}

QString ArchiveCommands::describe(const ImportSummary& summary, qint64 historyLimit) {
    QString line = QStringLiteral("imported %1 entries (%2 new, %3 already in the history); the history holds %4")
                       .arg(summary.importedCount)
                       .arg(summary.addedCount)
                       .arg(summary.mergedCount)
                       .arg(summary.historyCount);
    if (summary.removedByLimitCount > 0)
        line += QStringLiteral(" after %1 were dropped by the history limit of %2")
                    .arg(summary.removedByLimitCount)
                    .arg(historyLimit);
    return line;
}

Result<ImportSummary, ArchiveCommandError> ArchiveCommands::importHistory(EncryptedArchiveStore& store,
                                                                          ArchiveProtectionMode mode,
                                                                          qint64 historyLimit, QIODevice& input,
                                                                          const QString& inputName) {
    auto imported = readExport(input, inputName);
    if (!imported)
        return fail(imported.error());
    // A key that cannot be reached stops here, before a save could create a new key and archive.
    auto items = loadHistory(store, mode);
    if (!items)
        return fail(items.error());
    HistoryEngine history(*items);
    const ImportSummary summary = history.merge(upgraded(std::move(imported).value()), historyLimit);
    if (auto saved = store.save(history.items(), mode); !saved)
        return fail(ArchiveCommandError{Kind::saveFailed, saved.error().describe(), {}});
    return summary;
}

} // namespace stowline
