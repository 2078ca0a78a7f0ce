#include "app/commands/CommandTable.h"

#include "app/commands/ClipReference.h"
#include "app/commands/HistoryCommands.h"

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

// The file, then "force" when an existing one may be replaced.
Arguments exportFile(QStringView name, const QStringList& operands, const QStringList& options) {
    auto arguments = optionalFile(name, operands, options);
    if (!arguments || !options.contains(u"--force"_s))
        return arguments;
    if (arguments->isEmpty())
        return fail(u"--force replaces an existing FILE; give the file"_s);
    arguments->append(HistoryCommands::replaceArgument);
    return arguments;
}

Arguments oneFile(QStringView name, const QStringList& operands, const QStringList&) {
    if (operands.size() != 1)
        return fail(u"%1 takes exactly one file"_s.arg(name));
    if (operands.first().isEmpty())
        return fail(u"the file name is empty"_s);
    return operands;
}

// The value of "--name=value" among the given options, or nothing.
std::optional<QString> valueOf(const QStringList& options, QStringView name) {
    for (const QString& option : options) {
        if (option.startsWith(name) && option.size() > name.size() && option[name.size()] == u'=')
            return option.mid(name.size() + 1);
    }
    return std::nullopt;
}

// `list` and `search`: the query, from the listing options and the words.
Arguments query(const QStringList& words, const QStringList& options) {
    ClipQuery query;
    query.words = words;
    query.json = options.contains(u"--json"_s);
    query.showSecrets = options.contains(u"--show-secrets"_s);
    if (const std::optional<QString> filter = valueOf(options, u"--filter")) {
        bool found = false;
        for (HistoryFilter candidate : EnumTraits<HistoryFilter>::cases) {
            if (filter->compare(rawValue(candidate), Qt::CaseInsensitive) == 0) {
                query.filter = candidate;
                found = true;
            }
        }
        if (!found)
            return fail(u"--filter takes all, text, links, images, files or credentials, not \"%1\""_s.arg(*filter));
    }
    if (const std::optional<QString> limit = valueOf(options, u"--limit")) {
        bool ok = false;
        query.limit = limit->toLongLong(&ok);
        if (!ok || query.limit < 1 || limit->startsWith(u'+'))
            return fail(u"--limit takes a number from 1, not \"%1\""_s.arg(*limit));
    }
    return HistoryCommands::queryArguments(query);
}

Arguments listing(QStringView name, const QStringList& operands, const QStringList& options) {
    if (!operands.isEmpty())
        return fail(u"%1 takes no further arguments"_s.arg(name));
    return query({}, options);
}

Arguments searching(QStringView name, const QStringList& operands, const QStringList& options) {
    if (operands.isEmpty())
        return fail(u"%1 takes the words to look for"_s.arg(name));
    return query(operands, options);
}

Arguments oneClip(QStringView name, const QStringList& operands) {
    if (operands.size() != 1 || !ClipReference::parse(operands.first()))
        return fail(u"%1 takes one clip's id or number as list shows it"_s.arg(name));
    return operands;
}

Arguments clipNamed(QStringView name, const QStringList& operands, const QStringList&) {
    return oneClip(name, operands);
}

// The clip, or an empty argument when standard input names it; then "paste" and "plain" as asked.
Arguments clipToCopy(QStringView name, const QStringList& operands, const QStringList& options) {
    auto arguments = operands.isEmpty() ? Arguments(QStringList{QString()}) : oneClip(name, operands);
    if (!arguments)
        return arguments;
    if (options.contains(u"--paste"_s))
        arguments->append(InstanceProtocol::pasteArgument);
    if (options.contains(u"--plain"_s))
        arguments->append(InstanceProtocol::plainArgument);
    return arguments;
}

Arguments clearing(QStringView name, const QStringList& operands, const QStringList& options) {
    if (!operands.isEmpty())
        return fail(u"%1 takes no further arguments"_s.arg(name));
    QStringList arguments;
    if (options.contains(u"--keep-favorites"_s))
        arguments.append(HistoryCommands::keepFavoritesArgument);
    if (options.contains(u"--yes"_s))
        arguments.append(HistoryCommands::confirmedArgument);
    return arguments;
}

// "--anyway": quit even though something could not be saved.
Arguments quitting(QStringView name, const QStringList& operands, const QStringList& options) {
    if (!operands.isEmpty())
        return fail(u"%1 takes no further arguments"_s.arg(name));
    return options.contains(u"--anyway"_s) ? QStringList{InstanceProtocol::anywayArgument} : QStringList{};
}

constexpr std::array<const char16_t*, 4> noOptions{};
constexpr std::array<const char16_t*, 4> listingOptions{u"--filter", u"--limit", u"--json", u"--show-secrets"};
constexpr std::array<const char16_t*, 2> valueOptions{u"--filter", u"--limit"};

constexpr CommandDescription table[] = {
    {InstanceCommand::show, u"show", u"", u"show the history panel (starts Stowline when it is not running)", u"show",
     CommandReach::startsInstance, noOptions, none},
    {InstanceCommand::toggle, u"toggle", u"", u"show the history panel, or hide it when it is showing", u"toggle",
     CommandReach::startsInstance, noOptions, none},
    {InstanceCommand::settings, u"settings", u"", u"open the settings window of the running Stowline", u"settings",
     CommandReach::runningInstance, noOptions, none},
    {InstanceCommand::quit,
     u"quit",
     u"[--anyway]",
     u"save the history and end Stowline; when something cannot be saved it\n"
     u"says what and keeps running, unless --anyway",
     u"quit",
     CommandReach::runningInstance,
     {u"--anyway", nullptr, nullptr, nullptr},
     quitting},
    {InstanceCommand::status, u"status", u"",
     u"tell whether Stowline runs and captures or is paused, with its shortcut\nand last message, as key=value lines "
     u"for scripts",
     u"status", CommandReach::runningInstance, noOptions, none},
    {InstanceCommand::copy,
     u"copy",
     u"[ID|N] [--plain] [--paste]",
     u"put a clip back on the clipboard: by the id or number list shows, or\n"
     u"a whole line of list; without one, a line read from standard input.\n"
     u"--plain puts plain text only; --paste also pastes into the window in front",
     u"copy 3f2a9c1e --paste",
     CommandReach::runningInstance,
     {u"--plain", u"--paste", nullptr, nullptr},
     clipToCopy},
    {InstanceCommand::pause, u"pause", u"", u"stop taking in what you copy", u"pause", CommandReach::runningInstance,
     noOptions, none},
    {InstanceCommand::resume, u"resume", u"", u"take in what you copy again", u"resume", CommandReach::runningInstance,
     noOptions, none},
    {InstanceCommand::list, u"list", u"[--filter KIND] [--limit N] [--json] [--show-secrets]",
     u"the clips, newest first: number, id, kind and title, separated by tabs.\n"
     u"--filter: all, text, links, images, files or credentials; --limit: at\n"
     u"most N clips; --json: one JSON object per clip and line, for programs;\n"
     u"--show-secrets: the text of credentials, which otherwise read \"Credential\"",
     u"list --filter links --limit 5", CommandReach::history, listingOptions, listing},
    {InstanceCommand::search, u"search", u"WORDS... [--filter KIND] [--limit N] [--json] [--show-secrets]",
     u"the clips that hold every word and none of the words written with a\n"
     u"leading minus, ignoring case, accents and width; shown as list shows them",
     u"search invoice -draft", CommandReach::history, listingOptions, searching},
    {InstanceCommand::clear,
     u"clear",
     u"[--keep-favorites] [--yes]",
     u"delete every clip (which needs --yes), or with --keep-favorites every\nclip but the favourites",
     u"clear --keep-favorites",
     CommandReach::history,
     {u"--keep-favorites", u"--yes", nullptr, nullptr},
     clearing},
    {InstanceCommand::favorite, u"favorite", u"ID|N", u"make a clip a favourite, or an ordinary clip again",
     u"favorite 3f2a9c1e", CommandReach::history, noOptions, clipNamed},
    {InstanceCommand::deleteClip, u"delete", u"ID|N", u"delete one clip", u"delete 3f2a9c1e", CommandReach::history,
     noOptions, clipNamed},
    {InstanceCommand::exportHistory,
     u"export",
     u"[FILE] [--force]",
     u"write the history as unencrypted JSON to FILE (readable by you only)\nor to standard output; an existing "
     u"FILE is replaced only with --force,\nand a link is never followed",
     u"export ~/clips.json",
     CommandReach::history,
     {u"--force", nullptr, nullptr, nullptr},
     exportFile},
    {InstanceCommand::importHistory, u"import", u"FILE",
     u"merge the entries of an exported history into the history, keeping\nto the history limit",
     u"import ~/clips.json", CommandReach::history, noOptions, oneFile},
};

} // namespace

bool CommandDescription::accepts(QStringView option) const {
    const QStringView name = option.left(option.indexOf(u'=') < 0 ? option.size() : option.indexOf(u'='));
    for (const char16_t* accepted : options) {
        if (accepted && name == QStringView(accepted))
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

bool CommandTable::takesValue(QStringView option) {
    return std::any_of(valueOptions.begin(), valueOptions.end(),
                       [option](const char16_t* name) { return option == QStringView(name); });
}

} // namespace stowline
