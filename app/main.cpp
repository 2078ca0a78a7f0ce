#include "app/CommandLine.h"
#include "app/PlatformServices.h"
#include "app/StowlineApplication.h"
#include "app/TerminationSignals.h"
#include "app/cli/OfflineCommands.h"
#include "app/cli/RunningInstanceCommands.h"
#include "app/instance/SingleInstance.h"

#include "core/support/AppIdentity.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

using namespace stowline;

namespace {

// Long enough for a `quit` that writes a large history first.
constexpr int requestTimeoutMilliseconds = 30'000;

int complain(const QString& message, int status = 1) {
    QTextStream(stderr) << AppIdentity::executableName() << ": " << message << '\n';
    return status;
}

// Hands the command to the running instance; nothing when none runs.
std::optional<int> forward(const CommandLine& commandLine, const QString& socketPath) {
    const auto reply = SingleInstance::send(socketPath, commandLine.request(), requestTimeoutMilliseconds);
    if (!reply.ok()) {
        if (reply.error() == InstanceClientError::notRunning)
            return std::nullopt;
        return complain(describe(reply.error()));
    }
    if (commandLine.action == CommandLine::Action::start && commandLine.background) {
        QTextStream(stdout) << "Stowline is already running.\n";
        return 0;
    }
    (reply->status == 0 ? QTextStream(stdout) : QTextStream(stderr)) << reply->output;
    return reply->status;
}

// Through the running instance, which alone writes the archive while it runs; on the archive when none runs.
int runHistoryCommand(const CommandLine& commandLine, int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(AppIdentity::applicationName());
    QTextStream errors(stderr);
    const QString socketPath = SingleInstance::defaultSocketPath();
    std::optional<int> status;
    if (commandLine.action == CommandLine::Action::list)
        status = forward(commandLine, socketPath);
    else
        status = RunningInstanceCommands::run(commandLine, socketPath, requestTimeoutMilliseconds, errors);
    if (status)
        return *status;
    return OfflineCommands::run(commandLine, errors);
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QString error;
    const auto commandLine = CommandLine::parse(arguments, &error);
    if (!commandLine)
        return complain(error, 2);
    switch (commandLine->action) {
    case CommandLine::Action::help:
        QTextStream(stdout) << CommandLine::usage();
        return 0;
    case CommandLine::Action::version:
        QTextStream(stdout) << AppIdentity::applicationName() << ' ' << AppIdentity::version() << '\n';
        return 0;
    default:
        break;
    }
    if (commandLine->isHistoryCommand())
        return runHistoryCommand(*commandLine, argc, argv);

    const QString socketPath = SingleInstance::defaultSocketPath();
    if (const std::optional<int> status = forward(*commandLine, socketPath))
        return *status;
    if (!commandLine->startsApplication())
        return complain(describe(InstanceClientError::notRunning));

    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return complain(
            QStringLiteral("no X display (DISPLAY is not set); Stowline runs in an X11 or XWayland session."));
    // On Wayland the X11 side (XWayland) is the one with a shared clipboard and global key grabs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication application(argc, argv);
    QApplication::setApplicationName(AppIdentity::applicationName());
    QApplication::setOrganizationDomain(QStringLiteral("stowline.org"));
    QApplication::setDesktopFileName(AppIdentity::applicationIdentifier());
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(socketPath);
    switch (instance.claim()) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::alreadyRunning:
        // Another start won the race; it gets the request instead.
        if (const std::optional<int> status = forward(*commandLine, socketPath))
            return *status;
        return complain(describe(InstanceClientError::notRunning));
    case SingleInstance::Claim::failed:
        return complain(QStringLiteral("could not listen on %1 for later starts.").arg(socketPath));
    }

    auto services = PlatformServices::forDesktop();
    if (!services.ok())
        return complain(services.error());
    StowlineApplication stowline(
        std::move(*services),
        {.isBackgroundLaunch = commandLine->background, .preferencesFile = {}, .archiveDirectory = {}});
    instance.setHandler([&stowline](const InstanceRequest& request, const SingleInstance::Responder& respond) {
        stowline.handle(request, respond);
    });
    QObject::connect(&stowline, &StowlineApplication::quitRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Ended by the session or by Ctrl+C: the same clean end as `quit`, with pending saves written.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &stowline, &StowlineApplication::terminate);
    stowline.start();
    return QApplication::exec();
}
