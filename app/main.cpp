#include "app/CommandLine.h"

#include "core/support/AppIdentity.h"

#include <QApplication>
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
