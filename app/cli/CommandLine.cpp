#include "app/cli/CommandLine.h"

#include "core/support/AppIdentity.h"

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

Failure<QString> rejected(const QString& reason) {
    return fail(QString(reason + u"; see %1 --help"_s.arg(AppIdentity::executableName())));
}

QString usageLine(const CommandDescription& command) {
    QString line = QString::fromUtf16(command.name);
    if (command.synopsis[0] != u'\0')
        line += u' ' + QString::fromUtf16(command.synopsis);
    return line;
}

// The commands of one reach, each with its help lines under an aligned column.
QString commandSection(const QString& title, std::initializer_list<CommandReach> reaches) {
    constexpr qsizetype column = 15;
    QString section = u"\n"_s + title + u'\n';
    for (const CommandDescription& command : CommandTable::all()) {
        if (std::find(reaches.begin(), reaches.end(), command.reach) == reaches.end())
            continue;
        const QStringList help = QString::fromUtf16(command.help).split(u'\n');
        QString first = u"  "_s + usageLine(command);
        section += (first.size() < column ? first.leftJustified(column) : first + u'\n' + QString(column, u' ')) +
                   help.first() + u'\n';
        for (qsizetype i = 1; i < help.size(); ++i)
            section += QString(column, u' ') + help[i] + u'\n';
        section += QString(column + 2, u' ') + AppIdentity::executableName() + u' ' +
                   QString::fromUtf16(command.example) + u'\n';
    }
    return section;
}

} // namespace

Result<CommandLine, QString> CommandLine::parse(const QStringList& arguments) {
    CommandLine result;
    bool help = false;
    bool version = false;
    QStringList operands;
    QStringList options;
    bool onlyOperands = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool searching = !operands.isEmpty() && operands.first() == u"search";
        if (onlyOperands || !argument.startsWith(u'-') || argument == u"-") {
            operands.append(argument);
        } else if (argument == u"--") {
            onlyOperands = true;
        } else if (argument == u"--background") {
            result.background = true;
        } else if (argument == u"--help" || argument == u"-h") {
            help = true;
        } else if (argument == u"--version") {
            version = true;
        } else if (CommandTable::takesValue(argument)) {
            if (i + 1 == arguments.size())
                return rejected(u"%1 needs a value"_s.arg(argument));
            options.append(argument + u'=' + arguments[++i]);
        } else if (CommandTable::isCommandOption(argument)) {
            options.append(argument);
        } else if (searching && !argument.startsWith(u"--")) {
            // A word the clips must not hold.
            operands.append(argument);
        } else {
            return rejected(u"unknown argument \"%1\""_s.arg(argument));
        }
    }
    if (help || version) {
        result.mode = help ? Mode::help : Mode::version;
        return result;
    }
    if (operands.isEmpty()) {
        if (!options.isEmpty())
            return rejected(u"%1 goes with a command only"_s.arg(options.first().section(u'=', 0, 0)));
        return result;
    }

    const QString name = operands.takeFirst();
    const CommandDescription* command = CommandTable::named(name);
    if (!command)
        return rejected(u"unknown command \"%1\""_s.arg(name));
    for (const QString& option : options) {
        if (!command->accepts(option))
            return rejected(u"%1 does not go with %2"_s.arg(option.section(u'=', 0, 0), name));
    }
    if (result.background)
        return rejected(u"--background does not go with %1"_s.arg(name));
    auto checked = command->arguments(name, operands, options);
    if (!checked)
        return rejected(checked.error());
    result.mode = Mode::command;
    result.request = {command->command, std::move(checked).value()};
    return result;
}

QString CommandLine::usage() {
    const QString program = AppIdentity::executableName();
    QString text = u"Usage: %1 [--background]\n"_s.arg(program);
    for (const CommandDescription& command : CommandTable::all())
        text += u"       "_s + program + u' ' + usageLine(command) + u'\n';
    text += u"\n"
            u"Keeps an encrypted history of everything you copy. Only one Stowline runs per user\n"
            u"session; starting it again shows the running one's history panel.\n"
            u"\n"
            u"  --background   start in the tray without showing the history panel\n"
            u"  --help         show this help and exit\n"
            u"  --version      show the version and exit\n"_s;
    text += commandSection(u"Commands for the running Stowline:"_s,
                           {CommandReach::startsInstance, CommandReach::runningInstance});
    text += commandSection(u"Commands on the history, through the running Stowline or, when none runs, on its own:"_s,
                           {CommandReach::history});
    text += u"\n"
            u"A pipeline: %1 list | fzf | %1 copy --paste\n"
            u"\n"
            u"Wayland desktops do not let applications take a global shortcut, so bind the command\n"
            u"\"%1 toggle\" to a shortcut in the desktop's keyboard settings (see man %1).\n"
            u"\n"
            u"Exit status: 0 on success, 1 when the command failed, 2 when it was not understood.\n"_s.arg(program);
    return text;
}

InstanceRequest CommandLine::requestForInstance() const {
    if (mode == Mode::command)
        return request;
    return {background ? InstanceCommand::status : InstanceCommand::show, {}};
}

bool CommandLine::startsApplication() const {
    return mode == Mode::start || (mode == Mode::command && command().reach == CommandReach::startsInstance);
}

} // namespace stowline
