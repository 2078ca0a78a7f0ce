#include "app/PlatformServices.h"
#include "app/ProcessProtection.h"
#include "app/StowlineApplication.h"
#include "app/TerminationSignals.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/archive/HistoryLock.h"
#include "app/cli/CommandClient.h"
#include "app/cli/CommandLine.h"
#include "app/instance/InstanceCommands.h"
#include "app/instance/SingleInstance.h"
#include "app/platform/wayland/WaylandSession.h"
#include "app/preferences/PreferenceKeys.h"
#include "app/preferences/PreferenceStore.h"

#include "core/support/AppIdentity.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTextStream>

#include <unistd.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// `copy` without a clip takes the first line of standard input, as a picker such as fzf hands it on.
std::optional<int> readClipFromInput(CommandLine& commandLine, CommandOutput& output) {
    QStringList& arguments = commandLine.request.arguments;
    if (commandLine.request.command != InstanceCommand::copy || !arguments.value(0).isEmpty())
        return std::nullopt;
    if (isatty(STDIN_FILENO))
        return output.fail(u"copy takes one clip's id or number as list shows it, or a line of list on standard "
                           u"input; see %1 --help"_s.arg(AppIdentity::executableName()),
                           CommandOutput::usageError);
    QTextStream input(stdin);
    arguments[0] = input.readLine();
    if (arguments[0].trimmed().isEmpty())
        return output.fail(u"nothing was chosen: standard input names no clip"_s);
    return std::nullopt;
}

// A command answered by the running instance or, for the history, on the archive; never becomes the instance.
int runCommand(CommandLine commandLine, CommandOutput& output, int argc, char* argv[]) {
    ProcessProtection::forbidInspection();
    if (const std::optional<int> status = readClipFromInput(commandLine, output))
        return *status;
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(AppIdentity::applicationName());
    const auto socketPath = InstanceClient::defaultSocketPath();
    if (!socketPath)
        return output.fail(socketPath.error());
    std::unique_ptr<SecretStore> secrets;
    return CommandClient::run(commandLine, *socketPath, output, [&secrets] {
        secrets = PlatformServices::desktopSecretStore();
        return OfflineEnvironment{*secrets, {}, {}};
    });
}

// Becomes the instance unless one runs already, which then gets the request instead.
int startApplication(const CommandLine& commandLine, CommandOutput& output, int argc, char* argv[]) {
    const auto privateSocketPath = InstanceClient::defaultSocketPath();
    if (!privateSocketPath)
        return output.fail(privateSocketPath.error());
    const QString socketPath = *privateSocketPath;
    if (const std::optional<int> status = CommandClient::handOverStart(commandLine, socketPath, output))
        return *status;

    const bool hasX11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!hasX11 && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return output.fail(u"no display (neither WAYLAND_DISPLAY nor DISPLAY is set); Stowline runs in a Wayland, "
                           u"X11 or XWayland session."_s);
    // Made before the toolkit's connection, whose platform follows what the compositor offers; the clipboard takes
    // its own way to the compositor either way.
    std::shared_ptr<WaylandSession> wayland = PlatformServices::openWaylandSession();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const PreferenceStore preferences(PreferenceStore::defaultFilePath(), PreferenceAccess::readOnly);
        const bool preferXWayland = preferences.storedBoolean(PreferenceKeys::windowsThroughXWayland).value_or(false);
        qputenv("QT_QPA_PLATFORM",
                PlatformServices::windowPlatform(wayland && wayland->canReadClipboard(), preferXWayland, hasX11));
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(AppIdentity::applicationName());
    QApplication::setOrganizationDomain(u"stowline.org"_s);
    QApplication::setDesktopFileName(AppIdentity::applicationIdentifier());
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(socketPath);
    switch (instance.claim()) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::alreadyRunning:
        // Another start won the race; it gets the request instead.
        if (const std::optional<int> status = CommandClient::handOverStart(commandLine, socketPath, output))
            return *status;
        return output.fail(describe(InstanceClientError::notRunning));
    case SingleInstance::Claim::failed:
        return output.fail(u"could not listen on %1 for later starts."_s.arg(socketPath));
    }

    // The final guard against a second writer: a Stowline on another display, runtime folder or computer shares
    // the history's folder but not the socket above.
    auto historyLock = HistoryLock::acquire(EncryptedArchiveStore::defaultDirectory());
    if (!historyLock) {
        if (!commandLine.background)
            QMessageBox::warning(nullptr, AppIdentity::applicationName(),
                                 u"Stowline did not start: %1."_s.arg(historyLock.error().describe()));
        return output.fail(historyLock.error().describe());
    }

    auto services = PlatformServices::forDesktop(std::move(wayland));
    if (!services.ok())
        return output.fail(services.error());
    // Only now: the display connections are made, and the archive key is read later, in start().
    ProcessProtection::forbidInspection();
    StowlineApplication stowline(
        std::move(*services),
        {.isBackgroundLaunch = commandLine.background, .preferencesFile = {}, .archiveDirectory = {}});
    InstanceCommands commands(stowline.instanceServices());
    instance.setHandler([&commands](const InstanceRequest& request, const SingleInstance::Responder& respond) {
        commands.handle(request, respond);
    });
    // exit(), not quit(): quit() first asks every window to close, and a window that only hides itself (the panel)
    // would cancel the end.
    QObject::connect(
        &stowline, &StowlineApplication::quitRequested, &application, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    // Ended by the session or by Ctrl+C: the same clean end as `quit`, with pending saves written.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &stowline,
                     &StowlineApplication::terminateForSignal);
    stowline.start();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    // Every mode may read the archive key: the instance, and commands that open the history themselves.
    ProcessProtection::forbidCoreFiles();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    CommandOutput output;
    const auto commandLine = CommandLine::parse(arguments);
    if (!commandLine)
        return output.fail(commandLine.error(), CommandOutput::usageError);
    switch (commandLine->mode) {
    case CommandLine::Mode::help:
        return output.print(CommandLine::usage()) ? CommandOutput::success : CommandOutput::failure;
    case CommandLine::Mode::version:
        return output.print(AppIdentity::applicationName() + u' ' + AppIdentity::version() + u'\n')
                   ? CommandOutput::success
                   : CommandOutput::failure;
    case CommandLine::Mode::command:
        if (!commandLine->startsApplication())
            return runCommand(*commandLine, output, argc, argv);
        break;
    case CommandLine::Mode::start:
        break;
    }
    return startApplication(*commandLine, output, argc, argv);
}
