#include "app/cli/RunningInstanceCommands.h"

#include "app/archive/ArchiveFiles.h"
#include "app/cli/ArchiveCommands.h"
#include "app/instance/SingleInstance.h"
#include "core/support/AppIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

namespace stowline::RunningInstanceCommands {

namespace {

constexpr int failureExitCode = 1;

int failed(QTextStream& errors, const QString& message) {
    errors << AppIdentity::executableName() << ": " << message << '\n';
    return failureExitCode;
}

// An empty owner-only file in the runtime folder beside the socket, which only this user can enter.
std::unique_ptr<QTemporaryFile> exchangeFile(const QString& socketPath) {
    auto file = std::make_unique<QTemporaryFile>(QFileInfo(socketPath).absolutePath() + u'/' +
                                                 AppIdentity::applicationIdentifier() + QStringLiteral("-XXXXXX.json"));
    if (!file->open())
        return nullptr;
    file->setPermissions(ArchiveFiles::privateFile);
    return file;
}

// Nothing when no instance runs; otherwise the exit code, 0 with the reply's output in `output`. Failures are
// reported here.
std::optional<int> ask(const QString& socketPath, const InstanceRequest& request, int timeoutMilliseconds,
                       QTextStream& errors, QString* output) {
    const auto reply = SingleInstance::send(socketPath, request, timeoutMilliseconds);
    if (!reply) {
        if (reply.error() == InstanceClientError::notRunning)
            return std::nullopt;
        return failed(errors, describe(reply.error()));
    }
    if (reply->status != 0) {
        errors << AppIdentity::executableName() << ": " << reply->output;
        if (!reply->output.endsWith(u'\n'))
            errors << '\n';
        return reply->status;
    }
    *output = reply->output;
    return 0;
}

std::optional<int> exportHistory(const CommandLine& commandLine, const QString& socketPath, int timeoutMilliseconds,
                                 QTextStream& errors) {
    const auto exchange = exchangeFile(socketPath);
    if (!exchange)
        return failed(errors, QStringLiteral("cannot create a private file beside %1").arg(socketPath));
    QString reply;
    const std::optional<int> asked =
        ask(socketPath, {InstanceCommand::exportHistory, {exchange->fileName()}}, timeoutMilliseconds, errors, &reply);
    if (!asked || *asked != 0)
        return asked;
    const QByteArray json = exchange->readAll();
    if (exchange->error() != QFileDevice::NoError)
        return failed(
            errors, QStringLiteral("cannot read the export of the running Stowline (%1)").arg(exchange->errorString()));
    const QString program = AppIdentity::executableName();
    if (commandLine.file.isEmpty()) {
        QFile output;
        if (!output.open(stdout, QIODevice::WriteOnly) || output.write(json) != json.size() || !output.flush())
            return failed(errors, ArchiveCommandError{ArchiveCommandError::Kind::outputFailed, output.errorString(),
                                                      QStringLiteral("standard output")}
                                      .message());
        errors << program << ": warning: the exported history is not encrypted\n";
        return 0;
    }
    if (auto written = ArchiveFiles::replaceAtomically(commandLine.file, json); !written)
        return failed(errors, ArchiveCommandError{ArchiveCommandError::Kind::outputFailed, written.error().reason,
                                                  commandLine.file}
                                  .message());
    errors << program << ": warning: " << commandLine.file
           << " holds the history unencrypted; keep it private and delete it when done\n";
    return 0;
}

std::optional<int> importHistory(const CommandLine& commandLine, const QString& socketPath, int timeoutMilliseconds,
                                 QTextStream& errors) {
    // Decoded here first: a file that is not an export changes nothing, running instance or not.
    QFile input(commandLine.file);
    auto imported = ArchiveCommands::readExport(input, commandLine.file);
    if (!imported)
        return failed(errors, imported.error().message());
    const auto exchange = exchangeFile(socketPath);
    if (!exchange)
        return failed(errors, QStringLiteral("cannot create a private file beside %1").arg(socketPath));
    const QByteArray json = ArchiveCommands::exportJson(*imported);
    if (exchange->write(json) != json.size() || !exchange->flush())
        return failed(errors, QStringLiteral("cannot write %1 (%2); nothing was imported")
                                  .arg(exchange->fileName(), exchange->errorString()));
    QString reply;
    const std::optional<int> asked =
        ask(socketPath, {InstanceCommand::importHistory, {exchange->fileName()}}, timeoutMilliseconds, errors, &reply);
    if (!asked || *asked != 0)
        return asked;
    errors << AppIdentity::executableName() << ": " << reply << '\n';
    return 0;
}

} // namespace

std::optional<int> run(const CommandLine& commandLine, const QString& socketPath, int timeoutMilliseconds,
                       QTextStream& errors) {
    switch (commandLine.action) {
    case CommandLine::Action::exportHistory:
        return exportHistory(commandLine, socketPath, timeoutMilliseconds, errors);
    case CommandLine::Action::importHistory:
        return importHistory(commandLine, socketPath, timeoutMilliseconds, errors);
    default:
        return std::nullopt;
    }
}

} // namespace stowline::RunningInstanceCommands
