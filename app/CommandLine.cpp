#include "app/CommandLine.h"

#include "core/support/AppIdentity.h"

namespace stowline {

namespace {

std::nullopt_t rejected(QString* error, const QString& reason) {
    if (error)
        *error = reason + QStringLiteral("; see %1 --help").arg(AppIdentity::executableName());
    return std::nullopt;
}

} // namespace

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments, QString* error) {
    CommandLine result;
    bool help = false;
    bool version = false;
    QStringList operands;
    bool onlyOperands = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyOperands || !argument.startsWith(u'-')) {
            operands.append(argument);
        } else if (argument == u"--") {
            onlyOperands = true;
        } else if (argument == u"--background") {
            result.background = true;
        } else if (argument == u"--help" || argument == u"-h") {
            help = true;
        } else if (argument == u"--version") {
            version = true;
        } else {
            return rejected(error, QStringLiteral("unknown argument \"%1\"").arg(argument));
        }
    }
    if (help) {
        result.action = Action::help;
        return result;
    }
    if (version) {
        result.action = Action::version;
        return result;
    }
    if (operands.isEmpty())
        return result;

    const QString command = operands.takeFirst();
    if (command == u"export") {
        result.action = Action::exportHistory;
        if (operands.size() > 1)
            return rejected(error, QStringLiteral("export takes at most one file"));
    } else if (command == u"import") {
        result.action = Action::importHistory;
        if (operands.size() != 1)
            return rejected(error, QStringLiteral("import takes exactly one file"));
    } else {
        return rejected(error, QStringLiteral("unknown command \"%1\"").arg(command));
    }
    if (result.background)
        return rejected(error, QStringLiteral("--background does not go with %1").arg(command));
    result.file = operands.value(0);
    if (result.file.isEmpty() && !operands.isEmpty())
        return rejected(error, QStringLiteral("the file name is empty"));
    return result;
}

QString CommandLine::usage() {
    return QStringLiteral("Usage: %1 [--background]\n"
                          "       %1 export [FILE]\n"
                          "       %1 import FILE\n"
                          "\n"
                          "Keeps an encrypted history of everything you copy.\n"
                          "\n"
                          "  --background   start in the tray without showing the history panel\n"
                          "  --help         show this help and exit\n"
                          "  --version      show the version and exit\n"
                          "\n"
                          "Commands, while Stowline is not running:\n"
                          "  export [FILE]  write the history as unencrypted JSON to FILE (readable by you only)\n"
                          "                 or to standard output\n"
                          "  import FILE    merge the entries of an exported history into the history, keeping\n"
                          "                 to the history limit\n")
        .arg(AppIdentity::executableName());
}

} // namespace stowline
