#include "app/CommandLine.h"

#include "core/support/AppIdentity.h"

namespace stowline {

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments, QString* error) {
    CommandLine result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--background") {
            result.background = true;
        } else if (argument == u"--help" || argument == u"-h") {
            result.action = Action::help;
        } else if (argument == u"--version") {
            result.action = Action::version;
        } else {
            if (error)
                *error = QStringLiteral("unknown argument \"%1\"; see %2 --help")
                             .arg(argument, AppIdentity::executableName());
            return std::nullopt;
        }
    }
    return result;
}

QString CommandLine::usage() {
    return QStringLiteral("Usage: %1 [--background]\n"
                          "\n"
                          "Keeps an encrypted history of everything you copy.\n"
                          "\n"
                          "  --background  start in the tray without showing the history panel\n"
                          "  --help        show this help and exit\n"
                          "  --version     show the version and exit\n")
        .arg(AppIdentity::executableName());
}

} // namespace stowline
