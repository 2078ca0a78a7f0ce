#include "app/CommandLine.h"

#include "core/support/AppIdentity.h"

namespace stowline {

namespace {

std::nullopt_t rejected(QString* error, const QString& reason) {
    if (error)
        *error = reason + QStringLiteral("; see %1 --help").arg(AppIdentity::executableName());
    return std::nullopt;
}

CommandLine::Action actionFor(InstanceCommand command) {
    switch (command) {
    case InstanceCommand::show:
        return CommandLine::Action::show;
    case InstanceCommand::toggle:
        return CommandLine::Action::toggle;
    case InstanceCommand::quit:
        return CommandLine::Action::quit;
    case InstanceCommand::status:
        return CommandLine::Action::status;
    case InstanceCommand::exportHistory:
        return CommandLine::Action::exportHistory;
    case InstanceCommand::importHistory:
        return CommandLine::Action::importHistory;
    case InstanceCommand::list:
        return CommandLine::Action::list;
    case InstanceCommand::copy:
        return CommandLine::Action::copy;
    }
    Q_UNREACHABLE();
}

// A clip's position as `list` shows it: a decimal number from 1.
qsizetype clipNumberOf(const QString& operand) {
    bool ok = false;
    const qlonglong number = operand.toLongLong(&ok);
    return ok && number >= 1 && !operand.startsWith(u'+') ? qsizetype(number) : 0;
}

} // namespace

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments, QString* error) {
    CommandLine result;
    bool help = false;
    bool version = false;
    bool paste = false;
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
        } else if (argument == u"--paste") {
            paste = true;
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
    if (operands.isEmpty()) {
        if (paste)
            return rejected(error, QStringLiteral("--paste goes with copy only"));
        return result;
    }

    const QString command = operands.takeFirst();
    const std::optional<InstanceCommand> instanceCommand = InstanceProtocol::commandFromName(command);
    if (!instanceCommand)
        return rejected(error, QStringLiteral("unknown command \"%1\"").arg(command));
    result.action = actionFor(*instanceCommand);
    switch (result.action) {
    case Action::exportHistory:
        if (operands.size() > 1)
            return rejected(error, QStringLiteral("export takes at most one file"));
        break;
    case Action::importHistory:
        if (operands.size() != 1)
            return rejected(error, QStringLiteral("import takes exactly one file"));
        break;
    case Action::copy:
        if (operands.size() != 1 || clipNumberOf(operands.first()) == 0)
            return rejected(error, QStringLiteral("copy takes the number of one clip as list shows it"));
        result.clipNumber = clipNumberOf(operands.takeFirst());
        result.paste = paste;
        break;
    default:
        if (!operands.isEmpty())
            return rejected(error, QStringLiteral("%1 takes no further arguments").arg(command));
        break;
    }
    if (paste && result.action != Action::copy)
        return rejected(error, QStringLiteral("--paste goes with copy only"));
    if (result.background)
        return rejected(error, QStringLiteral("--background does not go with %1").arg(command));
    result.file = operands.value(0);
    if (result.file.isEmpty() && !operands.isEmpty())
        return rejected(error, QStringLiteral("the file name is empty"));
    return result;
}

QString CommandLine::usage() {
    return QStringLiteral("Usage: %1 [--background]\n"
                          "       %1 show|toggle|quit|status\n"
                          "       %1 export [FILE]\n"
                          "       %1 import FILE\n"
                          "       %1 list\n"
                          "       %1 copy N [--paste]\n"
                          "\n"
                          "Keeps an encrypted history of everything you copy. Only one Stowline runs per user\n"
                          "session; starting it again shows the running one's history panel.\n"
                          "\n"
                          "  --background   start in the tray without showing the history panel\n"
                          "  --help         show this help and exit\n"
                          "  --version      show the version and exit\n"
                          "\n"
                          "Commands for the running Stowline:\n"
                          "  show           show the history panel (starts Stowline when it is not running)\n"
                          "  toggle         show the history panel, or hide it when it is showing\n"
                          "  quit           save the history and end Stowline\n"
                          "  status         tell whether Stowline runs, with its shortcut and last message\n"
                          "  copy N         put clip N of the list back on the clipboard; with --paste, also\n"
                          "                 paste it into the window in front\n"
                          "\n"
                          "Commands on the history, through the running Stowline or, when none runs, on its own:\n"
                          "  list           one line per clip, newest first: number, kind and title\n"
                          "  export [FILE]  write the history as unencrypted JSON to FILE (readable by you only)\n"
                          "                 or to standard output\n"
                          "  import FILE    merge the entries of an exported history into the history, keeping\n"
                          "                 to the history limit\n")
        .arg(AppIdentity::executableName());
}

InstanceRequest CommandLine::request() const {
    switch (action) {
    case Action::start:
        return {background ? InstanceCommand::status : InstanceCommand::show, {}};
    case Action::toggle:
        return {InstanceCommand::toggle, {}};
    case Action::quit:
        return {InstanceCommand::quit, {}};
    case Action::status:
        return {InstanceCommand::status, {}};
    case Action::list:
        return {InstanceCommand::list, {}};
    case Action::copy: {
        InstanceRequest copy{InstanceCommand::copy, {QString::number(clipNumber)}};
        if (paste)
            copy.arguments.append(InstanceProtocol::pasteArgument);
        return copy;
    }
    case Action::show:
    case Action::help:
    case Action::version:
    case Action::exportHistory:
    case Action::importHistory:
        break;
    }
    return {InstanceCommand::show, {}};
}

bool CommandLine::startsApplication() const {
    return action == Action::start || action == Action::show || action == Action::toggle;
}

bool CommandLine::isInstanceCommand() const {
    return startsApplication() || action == Action::quit || action == Action::status || action == Action::copy;
}

bool CommandLine::isHistoryCommand() const {
    return action == Action::exportHistory || action == Action::importHistory || action == Action::list;
}

} // namespace stowline
