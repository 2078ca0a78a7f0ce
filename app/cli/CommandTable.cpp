#include "app/cli/CommandTable.h"

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

using Arguments = Result<QStringList, QString>;

Arguments none(QStringView name, const QStringList& operands, const QStringList&) {
    if (!operands.isEmpty())
        return fail(u"%1 takes no further arguments"_s.arg(name));
    return QStringList();
}

Arguments optionalFile(QStringView name, const QStringList& operands, const QStringList&) {
    if (operands.size() > 1)
        return fail(u"%1 takes at most one file"_s.arg(name));
    if (!operands.isEmpty() && operands.first().isEmpty())
        return fail(u"the file name is empty"_s);
    return operands;
}

Arguments oneFile(QStringView name, const QStringList& operands, const QStringList&) {
    if (operands.size() != 1)
        return fail(u"%1 takes exactly one file"_s.arg(name));
    if (operands.first().isEmpty())
        return fail(u"the file name is empty"_s);
    return operands;
}

// A clip's position as `list` shows it: a decimal number from 1, then "paste" when the keystroke follows.
Arguments clipNumber(QStringView name, const QStringList& operands, const QStringList& options) {
    bool ok = false;
    const qlonglong number = operands.value(0).toLongLong(&ok);
    if (operands.size() != 1 || !ok || number < 1 || operands.first().startsWith(u'+'))
        return fail(u"%1 takes the number of one clip as list shows it"_s.arg(name));
    QStringList arguments{QString::number(number)};
    if (options.contains(u"--paste"_s))
        arguments.append(InstanceProtocol::pasteArgument);
    return arguments;
}

constexpr std::array<const char16_t*, 2> noOptions{};

constexpr CommandDescription table[] = {
    {InstanceCommand::show, u"show", u"", u"show the history panel (starts Stowline when it is not running)",
     CommandReach::startsInstance, noOptions, none},
    {InstanceCommand::toggle, u"toggle", u"", u"show the history panel, or hide it when it is showing",
     CommandReach::startsInstance, noOptions, none},
    {InstanceCommand::quit, u"quit", u"", u"save the history and end Stowline", CommandReach::runningInstance,
     noOptions, none},
    {InstanceCommand::status, u"status", u"", u"tell whether Stowline runs, with its shortcut and last message",
     CommandReach::runningInstance, noOptions, none},
    {InstanceCommand::copy,
     u"copy",
     u"N [--paste]",
     u"put clip N of the list back on the clipboard; with --paste, also\npaste it into the window in front",
     CommandReach::runningInstance,
     {u"--paste", nullptr},
     clipNumber},
    {InstanceCommand::list, u"list", u"", u"one line per clip, newest first: number, kind and title",
     CommandReach::history, noOptions, none},
    {InstanceCommand::exportHistory, u"export", u"[FILE]",
     u"write the history as unencrypted JSON to FILE (readable by you only)\nor to standard output",
     CommandReach::history, noOptions, optionalFile},
    {InstanceCommand::importHistory, u"import", u"FILE",
     u"merge the entries of an exported history into the history, keeping\nto the history limit", CommandReach::history,
     noOptions, oneFile},
};

} // namespace

bool CommandDescription::accepts(QStringView option) const {
    for (const char16_t* accepted : options) {
        if (accepted && option == QStringView(accepted))
            return true;
    }
    return false;
}

std::span<const CommandDescription> CommandTable::all() {
    return table;
}

const CommandDescription& CommandTable::of(InstanceCommand command) {
    for (const CommandDescription& description : table) {
        if (description.command == command)
            return description;
    }
    Q_UNREACHABLE();
}

const CommandDescription* CommandTable::named(QStringView name) {
    for (const CommandDescription& description : table) {
        if (name == QStringView(description.name))
            return &description;
    }
    return nullptr;
}

bool CommandTable::isCommandOption(QStringView option) {
    for (const CommandDescription& description : table) {
        if (description.accepts(option))
            return true;
    }
    return false;
}

} // namespace stowline
