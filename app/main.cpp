#include "app/CommandLine.h"
#include "app/cli/OfflineCommands.h"

#include "core/support/AppIdentity.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

using namespace stowline;

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QString error;
    const auto commandLine = CommandLine::parse(arguments, &error);
    if (!commandLine) {
        QTextStream(stderr) << AppIdentity::executableName() << ": " << error << '\n';
        return 2;
    }
    switch (commandLine->action) {
    case CommandLine::Action::help:
        QTextStream(stdout) << CommandLine::usage();
        return 0;
    case CommandLine::Action::version:
        QTextStream(stdout) << AppIdentity::applicationName() << ' ' << AppIdentity::version() << '\n';
        return 0;
    case CommandLine::Action::exportHistory:
    case CommandLine::Action::importHistory: {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(AppIdentity::applicationName());
        QTextStream errors(stderr);
        return OfflineCommands::run(*commandLine, errors);
    }
    case CommandLine::Action::start:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(AppIdentity::applicationName());
    QApplication::setOrganizationDomain(QStringLiteral("stowline.org"));
    QApplication::setDesktopFileName(AppIdentity::applicationIdentifier());
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
