#include "app/cli/OfflineCommands.h"

#include "app/archive/EncryptedArchiveStore.h"
#include "app/cli/ArchiveCommands.h"
#include "app/platform/secretservice/SecretServiceStore.h"
#include "app/preferences/AppPreferences.h"
#include "core/support/AppIdentity.h"

#include <QFile>

#include <cstdio>

namespace stowline::OfflineCommands {

namespace {

constexpr int failureExitCode = 1;

int failed(QTextStream& errors, const ArchiveCommandError& error) {
    errors << AppIdentity::executableName() << ": " << error.message() << '\n';
    return failureExitCode;
}

int exportHistory(const CommandLine& commandLine, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                  QTextStream& errors) {
    const QString program = AppIdentity::executableName();
    if (commandLine.file.isEmpty()) {
        QFile output;
        if (!output.open(stdout, QIODevice::WriteOnly))
            return failed(errors, {ArchiveCommandError::Kind::outputFailed, output.errorString(),
                                   QStringLiteral("standard output")});
        auto exported = ArchiveCommands::exportHistory(store, mode, output, QStringLiteral("standard output"));
        if (!exported)
            return failed(errors, exported.error());
        errors << program << ": warning: the exported history is not encrypted\n";
        return 0;
    }
    auto exported = ArchiveCommands::exportHistoryToFile(store, mode, commandLine.file);
    if (!exported)
        return failed(errors, exported.error());
    errors << program << ": warning: " << commandLine.file
           << " holds the history unencrypted; keep it private and delete it when done\n";
    return 0;
}

int importHistory(const CommandLine& commandLine, EncryptedArchiveStore& store, ArchiveProtectionMode mode,
                  qint64 historyLimit, QTextStream& errors) {
    QFile input(commandLine.file);
    auto imported = ArchiveCommands::importHistory(store, mode, historyLimit, input, commandLine.file);
    if (!imported)
        return failed(errors, imported.error());
    errors << AppIdentity::executableName() << ": " << ArchiveCommands::describe(*imported, historyLimit);
    errors << '\n';
    return 0;
}

int listHistory(EncryptedArchiveStore& store, ArchiveProtectionMode mode, QTextStream& errors) {
    auto items = ArchiveCommands::loadHistory(store, mode);
    if (!items)
        return failed(errors, items.error());
    QTextStream(stdout) << ArchiveCommands::listing(*items);
    return 0;
}

} // namespace

int run(const CommandLine& commandLine, QTextStream& errors) {
    AppPreferences preferences(std::make_unique<PreferenceStore>());
    const ArchiveProtectionMode mode = protectionModeFromStoredValue(preferences.archiveProtectionModeID());
    SecretServiceStore secrets(AppIdentity::applicationIdentifier());
    EncryptedArchiveStore store(EncryptedArchiveStore::defaultDirectory(), secrets);
    switch (commandLine.action) {
    case CommandLine::Action::exportHistory:
        return exportHistory(commandLine, store, mode, errors);
    case CommandLine::Action::importHistory:
        return importHistory(commandLine, store, mode, preferences.historyLimit(), errors);
    case CommandLine::Action::list:
        return listHistory(store, mode, errors);
    case CommandLine::Action::start:
    case CommandLine::Action::help:
    case CommandLine::Action::version:
    case CommandLine::Action::show:
    case CommandLine::Action::toggle:
    case CommandLine::Action::quit:
    case CommandLine::Action::status:
    case CommandLine::Action::copy:
        break;
    }
    return failureExitCode;
}

} // namespace stowline::OfflineCommands
