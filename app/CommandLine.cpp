#include "app/CommandLine.h"

#include "core/support/AppIdentity.h"

namespace stowline {

namespace {

std::optional<CommandLine::Action> commandAction(QStringView argument) {
    const std::optional<InstanceCommand> command = InstanceProtocol::commandFromName(argument);
    if (!command)
        return std::nullopt;
    switch (*command) {
    case InstanceCommand::show:
        return CommandLine::Action::show;
    case InstanceCommand::toggle:
        return CommandLine::Action::toggle;
    case InstanceCommand::quit:
        return CommandLine::Action::quit;
    case InstanceCommand::status:
        return CommandLine::Action::status;
    }
    return std::nullopt;
}

} // namespace

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments, QString* error) {
    CommandLine result;
    bool flagOnly = false;
    std::optional<Action> command;
    const auto failWith = [error](const QString& message) {
        if (error)
            *error = message + QStringLiteral("; see %1 --help").arg(AppIdentity::executableName());
        return std::nullopt;
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--background") {
            result.background = true;
        } else if (argument == u"--help" || argument == u"-h") {
            result.action = Action::help;
            flagOnly = true;
        } else if (argument == u"--version") {
            if (!flagOnly)
                result.action = Action::version;
            flagOnly = true;
        } else if (const std::optional<Action> action = commandAction(argument)) {
            if (command)
                return failWith(QStringLiteral("only one command at a time (\"%1\")").arg(argument));
            command = action;
        } else {
            return failWith(QStringLiteral("unknown argument \"%1\"").arg(argument));
        }
    }
    if (flagOnly)
        return result;
    if (command) {
        if (result.background)
            return failWith(QStringLiteral("--background only applies when starting Stowline"));
        result.action = *command;
    }
    return result;
}

QString CommandLine::usage() {
    return QStringLiteral("Usage: %1 [--background]\n"
                          "       %1 show|toggle|quit|status\n"
                          "\n"
                          "Keeps an encrypted history of everything you copy. Only one Stowline runs per user\n"
                          "session; starting it again shows the running one's history panel.\n"
                          "\n"
                          "  --background  start in the tray without showing the history panel\n"
                          "  --help        show this help and exit\n"
                          "  --version     show the version and exit\n"
                          "\n"
                          "Commands for the running Stowline:\n"
                          "  show          show the history panel (starts Stowline when it is not running)\n"
                          "  toggle        show the history panel, or hide it when it is showing\n"
                          "  quit          save the history and end Stowline\n"
                          "  status        tell whether Stowline runs, with its shortcut and last message\n")
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
    case Action::show:
    case Action::help:
    case Action::version:
        break;
    }
    return {InstanceCommand::show, {}};
}

bool CommandLine::startsApplication() const {
    return action == Action::start || action == Action::show || action == Action::toggle;
}

} // namespace stowline
