#include "app/cli/OfflineCommands.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "app/archive/HistoryLock.h"
#include "app/commands/ArchiveCommands.h"
#include "app/commands/HistoryCommands.h"
#include "app/commands/InstanceClient.h"
#include "app/preferences/AppPreferences.h"

#include <QBuffer>
#include <QFile>

namespace stowline::OfflineCommands {

namespace {

int exportHistory(const QString& file, bool replace, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                  CommandOutput& output) {
    if (file.isEmpty()) {
        // Written only once the whole export is ready, so a failure prints no partial history.
        QBuffer json;
        auto exported = ArchiveCommands::exportHistory(store, mode, json, output.outputName());
        if (!exported)
            return output.fail(exported.error().message());
        if (const QString warning = ArchiveCommands::journalWarning(store, mode); !warning.isEmpty())
            output.message(warning);
        if (!output.print(json.data()))
            return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    } else if (auto exported = ArchiveCommands::exportHistoryToFile(store, mode, file, replace); !exported) {
        return output.fail(exported.error().message());
    }
    output.message(CommandTexts::exportWarning(file));
    return CommandOutput::success;
}

int importHistory(const QString& file, EncryptedArchiveStore& store, ArchiveProtectionMode mode, qint64 historyLimit,
                  CommandOutput& output) {
    QFile input(file);
    auto imported = ArchiveCommands::importHistory(store, mode, historyLimit, input, file);
    if (!imported)
        return output.fail(imported.error().message());
    output.message(ArchiveCommands::describe(*imported, historyLimit));
    return CommandOutput::success;
}

int listHistory(const InstanceRequest& request, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                CommandOutput& output) {
    auto items = ArchiveCommands::loadHistory(store, mode, ArchiveCommands::Access::readOnly);
    if (!items)
        return output.fail(items.error().message());
    if (const QString warning = ArchiveCommands::journalWarning(store, mode); !warning.isEmpty())
        output.message(warning);
    return output.relay(HistoryCommands::list(HistoryEngine(*items), request.arguments));
}

// The archive's history, changed in memory; the command saves it when it changed.
class ArchiveHistory : public CommandHistory {
public:
    explicit ArchiveHistory(HistoryEngine history) : m_history(std::move(history)) {}
    const HistoryEngine& history() const override { return m_history; }
    void toggleFavorite(const QUuid& id) override { m_changed |= m_history.toggleFavorite(id); }
    void deleteItem(const QUuid& id) override { m_changed |= m_history.deleteItem(id); }
    void clear(ClearScope scope) override { m_changed |= m_history.clear(scope); }
    bool changed() const { return m_changed; }

private:
    HistoryEngine m_history;
    bool m_changed = false;
};

int changeHistory(const InstanceRequest& request, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                  CommandOutput& output) {
    // A key that cannot be reached stops here, before a save could create a new key and archive.
    auto items = ArchiveCommands::loadHistory(store, mode);
    if (!items)
        return output.fail(items.error().message());
    ArchiveHistory history{HistoryEngine(*items)};
    const QStringList& arguments = request.arguments;
    InstanceReply reply;
    if (request.command == InstanceCommand::favorite)
        reply = HistoryCommands::favorite(history, arguments.value(0));
    else if (request.command == InstanceCommand::deleteClip)
        reply = HistoryCommands::remove(history, arguments.value(0));
    else
        reply = HistoryCommands::clear(history, arguments.contains(HistoryCommands::keepFavoritesArgument),
                                       arguments.contains(HistoryCommands::confirmedArgument));
    if (history.changed()) {
        if (auto saved = store.save(history.history().items(), mode); !saved)
            return output.fail(
                ArchiveCommandError{ArchiveCommandError::Kind::saveFailed, saved.error().describe(), {}}.message());
    }
    return output.relay(reply);
}

} // namespace

int run(const CommandLine& commandLine, const OfflineEnvironment& environment, CommandOutput& output) {
    const AppPreferences preferences(std::make_unique<PreferenceStore>(
        environment.preferencesFile.isEmpty() ? PreferenceStore::defaultFilePath() : environment.preferencesFile,
        PreferenceAccess::readOnly));
    const QString directory = environment.archiveDirectory.isEmpty() ? EncryptedArchiveStore::defaultDirectory()
                                                                     : environment.archiveDirectory;
    EncryptedArchiveStore store(directory, environment.secrets);
    // Commands that write take the history's lock as an instance does; reading needs none.
    std::unique_ptr<HistoryLock> lock;
    const InstanceCommand command = commandLine.request.command;
    if (command == InstanceCommand::importHistory || command == InstanceCommand::clear ||
        command == InstanceCommand::favorite || command == InstanceCommand::deleteClip) {
        auto acquired = HistoryLock::acquire(directory, HistoryLock::Folder::existing);
        if (!acquired)
            return output.fail(acquired.error().describe());
        lock = std::move(acquired).value();
    }
    const ArchiveProtectionMode mode =
        store.modeHoldingHistory(protectionModeFromStoredValue(preferences.archiveProtectionModeID()));
    const QString file = commandLine.request.arguments.value(0);
    switch (commandLine.request.command) {
    case InstanceCommand::exportHistory:
        return exportHistory(file, commandLine.request.arguments.contains(HistoryCommands::replaceArgument), store,
                             mode, output);
    case InstanceCommand::importHistory:
        return importHistory(file, store, mode, preferences.historyLimit(), output);
    case InstanceCommand::list:
    case InstanceCommand::search:
        return listHistory(commandLine.request, store, mode, output);
    case InstanceCommand::clear:
    case InstanceCommand::favorite:
    case InstanceCommand::deleteClip:
        return changeHistory(commandLine.request, store, mode, output);
    case InstanceCommand::show:
    case InstanceCommand::toggle:
    case InstanceCommand::settings:
    case InstanceCommand::quit:
    case InstanceCommand::status:
    case InstanceCommand::copy:
    case InstanceCommand::pause:
    case InstanceCommand::resume:
        break;
    }
    return output.fail(describe(InstanceClientError::notRunning));
}

} // namespace stowline::OfflineCommands
