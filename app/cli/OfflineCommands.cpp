#include "app/cli/OfflineCommands.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "app/cli/ArchiveCommands.h"
#include "app/instance/SingleInstance.h"
#include "app/preferences/AppPreferences.h"

#include <QBuffer>
#include <QFile>

namespace stowline::OfflineCommands {

namespace {

int exportHistory(const QString& file, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                  CommandOutput& output) {
    if (file.isEmpty()) {
        // Written only once the whole export is ready, so a failure prints no partial history.
        QBuffer json;
        auto exported = ArchiveCommands::exportHistory(store, mode, json, output.outputName());
        if (!exported)
            return output.fail(exported.error().message());
        if (!output.print(json.data()))
            return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    } else if (auto exported = ArchiveCommands::exportHistoryToFile(store, mode, file); !exported) {
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

int listHistory(EncryptedArchiveStore& store, ArchiveProtectionMode mode, CommandOutput& output) {
    auto items = ArchiveCommands::loadHistory(store, mode);
    if (!items)
        return output.fail(items.error().message());
    if (!output.print(ArchiveCommands::listing(*items)))
        return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    return CommandOutput::success;
}

} // namespace

int run(const CommandLine& commandLine, const OfflineEnvironment& environment, CommandOutput& output) {
    const AppPreferences preferences(std::make_unique<PreferenceStore>(
        environment.preferencesFile.isEmpty() ? PreferenceStore::defaultFilePath() : environment.preferencesFile,
        PreferenceAccess::readOnly));
    const ArchiveProtectionMode mode = protectionModeFromStoredValue(preferences.archiveProtectionModeID());
    EncryptedArchiveStore store(environment.archiveDirectory.isEmpty() ? EncryptedArchiveStore::defaultDirectory()
                                                                       : environment.archiveDirectory,
                                environment.secrets);
    const QString file = commandLine.request.arguments.value(0);
    switch (commandLine.request.command) {
    case InstanceCommand::exportHistory:
        return exportHistory(file, store, mode, output);
    case InstanceCommand::importHistory:
        return importHistory(file, store, mode, preferences.historyLimit(), output);
    case InstanceCommand::list:
        return listHistory(store, mode, output);
    case InstanceCommand::show:
    case InstanceCommand::toggle:
    case InstanceCommand::quit:
    case InstanceCommand::status:
    case InstanceCommand::copy:
        break;
    }
    return output.fail(describe(InstanceClientError::notRunning));
}

} // namespace stowline::OfflineCommands
