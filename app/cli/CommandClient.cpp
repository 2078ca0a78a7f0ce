#include "app/cli/CommandClient.h"

#include "app/archive/ArchiveFiles.h"
#include "app/commands/ArchiveCommands.h"
#include "app/commands/HistoryCommands.h"
#include "app/commands/InstanceClient.h"
#include "core/support/AppIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <memory>

using namespace Qt::StringLiterals;

namespace stowline::CommandClient {

namespace {

// An empty owner-only file in the runtime folder beside the socket, which only this user can enter. Exports and
// imports travel through it, never through the socket, so any size works.
std::unique_ptr<QTemporaryFile> exchangeFile(const QString& socketPath) {
    auto file = std::make_unique<QTemporaryFile>(QFileInfo(socketPath).absolutePath() + u'/' +
                                                 AppIdentity::applicationIdentifier() + u"-XXXXXX.json"_s);
    if (!file->open())
        return nullptr;
    file->setPermissions(ArchiveFiles::privateFile);
    return file;
}

// Nothing when no instance runs; otherwise the reply, or the exit code of a failure already reported.
std::optional<Result<QString, int>> ask(const QString& socketPath, InstanceRequest request, CommandOutput& output) {
    // The compositor gave the token to whoever started this process (a shortcut, a launcher); the window the
    // instance brings forward needs it to get the focus.
    request.activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    const auto reply = InstanceClient::send(socketPath, request, requestTimeoutMilliseconds);
    if (!reply) {
        if (reply.error() == InstanceClientError::notRunning)
            return std::nullopt;
        return Result<QString, int>(fail(output.fail(describe(reply.error()))));
    }
    if (reply->status != CommandOutput::success)
        return Result<QString, int>(fail(output.relay(*reply)));
    return Result<QString, int>(reply->output);
}

std::optional<int> exportThroughInstance(const QString& file, bool replace, const QString& socketPath,
                                         CommandOutput& output) {
    const auto exchange = exchangeFile(socketPath);
    if (!exchange)
        return output.fail(CommandTexts::exchangeFileFailed(socketPath));
    const auto asked = ask(socketPath, {InstanceCommand::exportHistory, {exchange->fileName()}}, output);
    if (!asked || !*asked)
        return asked ? std::optional(asked->error()) : std::nullopt;
    const QByteArray json = exchange->readAll();
    if (exchange->error() != QFileDevice::NoError)
        return output.fail(u"cannot read the export of the running Stowline (%1)"_s.arg(exchange->errorString()));
    if (file.isEmpty()) {
        if (!output.print(json))
            return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    } else if (auto written = ArchiveFiles::writeNewFile(file, json, replace); !written) {
        return output.fail(CommandTexts::cannotWrite(file, written.error().reason));
    }
    output.message(CommandTexts::exportWarning(file));
    return CommandOutput::success;
}

std::optional<int> importThroughInstance(const QString& file, const QString& socketPath, CommandOutput& output) {
    // Decoded here first: a file that is not an export changes nothing, running instance or not.
    QFile input(file);
    auto imported = ArchiveCommands::readExport(input, file);
    if (!imported)
        return output.fail(imported.error().message());
    const auto exchange = exchangeFile(socketPath);
    if (!exchange)
        return output.fail(CommandTexts::exchangeFileFailed(socketPath));
    const QByteArray json = ArchiveCommands::exportJson(*imported);
    if (exchange->write(json) != json.size() || !exchange->flush())
        return output.fail(CommandTexts::cannotWrite(exchange->fileName(), exchange->errorString()) +
                           u"; nothing was imported"_s);
    const auto asked = ask(socketPath, {InstanceCommand::importHistory, {exchange->fileName()}}, output);
    if (!asked || !*asked)
        return asked ? std::optional(asked->error()) : std::nullopt;
    output.message(asked->value());
    return CommandOutput::success;
}

std::optional<int> throughInstance(const CommandLine& commandLine, const QString& socketPath, CommandOutput& output) {
    const QString file = commandLine.request.arguments.value(0);
    switch (commandLine.request.command) {
    case InstanceCommand::exportHistory:
        return exportThroughInstance(file, commandLine.request.arguments.contains(HistoryCommands::replaceArgument),
                                     socketPath, output);
    case InstanceCommand::importHistory:
        return importThroughInstance(file, socketPath, output);
    default:
        return forward(commandLine.request, socketPath, output);
    }
}

} // namespace

std::optional<int> forward(const InstanceRequest& request, const QString& socketPath, CommandOutput& output) {
    const auto asked = ask(socketPath, request, output);
    if (!asked)
        return std::nullopt;
    if (!*asked)
        return asked->error();
    if (!output.print(asked->value()))
        return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    return CommandOutput::success;
}

std::optional<int> handOverStart(const CommandLine& commandLine, const QString& socketPath, CommandOutput& output) {
    if (commandLine.mode != CommandLine::Mode::start || !commandLine.background)
        return forward(commandLine.requestForInstance(), socketPath, output);
    const auto asked = ask(socketPath, commandLine.requestForInstance(), output);
    if (!asked)
        return std::nullopt;
    if (!*asked)
        return asked->error();
    if (!output.print(u"Stowline is already running.\n"_s))
        return output.fail(CommandTexts::cannotWrite(output.outputName(), output.outputError()));
    return CommandOutput::success;
}

int run(const CommandLine& commandLine, const QString& socketPath, CommandOutput& output,
        const std::function<OfflineEnvironment()>& offline) {
    if (const std::optional<int> status = throughInstance(commandLine, socketPath, output))
        return *status;
    if (commandLine.command().reach != CommandReach::history)
        return output.fail(describe(InstanceClientError::notRunning));
    return OfflineCommands::run(commandLine, offline(), output);
}

} // namespace stowline::CommandClient
