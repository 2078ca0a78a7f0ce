#include "app/cli/CommandLine.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

Result<CommandLine, QString> parse(const QStringList& arguments) {
    return CommandLine::parse(QStringList{u"stowline"_s} + arguments);
}

} // namespace

TEST(CommandLine, StartsHelpAndVersion) {
    const struct {
        QStringList arguments;
        CommandLine::Mode mode;
        InstanceRequest sentToARunningInstance;
    } cases[] = {
        {{}, CommandLine::Mode::start, {InstanceCommand::show, {}}},
        {{u"--background"_s}, CommandLine::Mode::start, {InstanceCommand::status, {}}},
        {{u"--version"_s}, CommandLine::Mode::version, {InstanceCommand::show, {}}},
        // Help wins over anything else on the line.
        {{u"quit"_s, u"-h"_s}, CommandLine::Mode::help, {InstanceCommand::show, {}}},
        {{u"import"_s, u"--help"_s}, CommandLine::Mode::help, {InstanceCommand::show, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto parsed = parse(c.arguments);
        ASSERT_TRUE(parsed) << parsed.error().toStdString();
        EXPECT_EQ(parsed->mode, c.mode);
        if (c.mode == CommandLine::Mode::start) {
            EXPECT_EQ(parsed->requestForInstance(), c.sentToARunningInstance);
        }
    }
}

TEST(CommandLine, CommandsBecomeTheRequestTheInstanceReceives) {
    const struct {
        QStringList arguments;
        InstanceRequest request;
        bool startsApplication;
    } cases[] = {
        {{u"show"_s}, {InstanceCommand::show, {}}, true},
        {{u"toggle"_s}, {InstanceCommand::toggle, {}}, true},
        {{u"settings"_s}, {InstanceCommand::settings, {}}, false},
        {{u"quit"_s}, {InstanceCommand::quit, {}}, false},
        {{u"status"_s}, {InstanceCommand::status, {}}, false},
        {{u"list"_s}, {InstanceCommand::list, {u"--filter"_s, u"All"_s, u"--limit"_s, u"0"_s, u"--"_s}}, false},
        {{u"export"_s}, {InstanceCommand::exportHistory, {}}, false},
        {{u"export"_s, u"backup.json"_s}, {InstanceCommand::exportHistory, {u"backup.json"_s}}, false},
        {{u"export"_s, u"backup.json"_s, u"--force"_s},
         {InstanceCommand::exportHistory, {u"backup.json"_s, u"force"_s}},
         false},
        // A file name that looks like an option follows "--".
        {{u"import"_s, u"--"_s, u"--odd.json"_s}, {InstanceCommand::importHistory, {u"--odd.json"_s}}, false},
        {{u"copy"_s, u"3"_s}, {InstanceCommand::copy, {u"3"_s}}, false},
        {{u"--paste"_s, u"copy"_s, u"12"_s}, {InstanceCommand::copy, {u"12"_s, u"paste"_s}}, false},
        // Without a clip, standard input names it.
        {{u"copy"_s, u"0f8fad5b"_s, u"--plain"_s}, {InstanceCommand::copy, {u"0f8fad5b"_s, u"plain"_s}}, false},
        {{u"copy"_s}, {InstanceCommand::copy, {QString()}}, false},
        {{u"list"_s, u"--filter"_s, u"LINKS"_s, u"--limit"_s, u"3"_s, u"--json"_s},
         {InstanceCommand::list, {u"--filter"_s, u"Links"_s, u"--limit"_s, u"3"_s, u"--json"_s, u"--"_s}},
         false},
        // A word with a leading minus leaves clips out; after "--" every argument is a word.
        {{u"search"_s, u"report"_s, u"-memo"_s, u"--show-secrets"_s, u"--"_s, u"--json"_s},
         {InstanceCommand::search,
          {u"--filter"_s, u"All"_s, u"--limit"_s, u"0"_s, u"--show-secrets"_s, u"--"_s, u"report"_s, u"-memo"_s,
           u"--json"_s}},
         false},
        {{u"pause"_s}, {InstanceCommand::pause, {}}, false},
        {{u"resume"_s}, {InstanceCommand::resume, {}}, false},
        {{u"clear"_s, u"--keep-favorites"_s, u"--yes"_s},
         {InstanceCommand::clear, {u"keep-favorites"_s, u"yes"_s}},
         false},
        {{u"favorite"_s, u"2"_s}, {InstanceCommand::favorite, {u"2"_s}}, false},
        {{u"delete"_s, u"1\t0f8fad5b\ttext\ttitle"_s},
         {InstanceCommand::deleteClip, {u"1\t0f8fad5b\ttext\ttitle"_s}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto parsed = parse(c.arguments);
        ASSERT_TRUE(parsed) << parsed.error().toStdString();
        EXPECT_EQ(parsed->mode, CommandLine::Mode::command);
        EXPECT_EQ(parsed->requestForInstance(), c.request);
        EXPECT_EQ(parsed->startsApplication(), c.startsApplication);
    }
}

TEST(CommandLine, RejectsWithOneLineThatPointsToHelp) {
    const struct {
        QStringList arguments;
        const char16_t* message;
    } cases[] = {
        {{u"--backgroud"_s}, u"unknown argument \"--backgroud\""},
        {{u"Quit"_s}, u"unknown command \"Quit\""},
        {{u"backup.json"_s}, u"unknown command \"backup.json\""},
        {{u"quit"_s, u"show"_s}, u"quit takes no further arguments"},
        {{u"--background"_s, u"toggle"_s}, u"--background does not go with toggle"},
        {{u"import"_s}, u"import takes exactly one file"},
        {{u"import"_s, u"a"_s, u"b"_s}, u"import takes exactly one file"},
        {{u"export"_s, u"a"_s, u"b"_s}, u"export takes at most one file"},
        {{u"export"_s, u""_s}, u"the file name is empty"},
        {{u"export"_s, u"--force"_s}, u"--force replaces an existing FILE; give the file"},
        {{u"copy"_s, u"0"_s}, u"copy takes one clip's id or number as list shows it"},
        {{u"copy"_s, u"+1"_s}, u"copy takes one clip's id or number as list shows it"},
        {{u"copy"_s, u"1"_s, u"2"_s}, u"copy takes one clip's id or number as list shows it"},
        {{u"list"_s, u"--paste"_s}, u"--paste does not go with list"},
        {{u"--paste"_s}, u"--paste goes with a command only"},
        {{u"search"_s}, u"search takes the words to look for"},
        {{u"list"_s, u"all"_s}, u"list takes no further arguments"},
        {{u"list"_s, u"-x"_s}, u"unknown argument \"-x\""},
        {{u"list"_s, u"--filter"_s, u"pictures"_s},
         u"--filter takes all, text, links, images, files or credentials, not \"pictures\""},
        {{u"list"_s, u"--limit"_s, u"0"_s}, u"--limit takes a number from 1, not \"0\""},
        {{u"list"_s, u"--limit"_s}, u"--limit needs a value"},
        {{u"clear"_s, u"--limit"_s, u"2"_s}, u"--limit does not go with clear"},
        {{u"favorite"_s}, u"favorite takes one clip's id or number as list shows it"},
        {{u"delete"_s, u"0f8fad5"_s}, u"delete takes one clip's id or number as list shows it"},
        {{u"pause"_s, u"now"_s}, u"pause takes no further arguments"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto parsed = parse(c.arguments);
        ASSERT_FALSE(parsed);
        EXPECT_EQ(parsed.error(), QString::fromUtf16(c.message) + u"; see stowline --help"_s);
    }
}

TEST(CommandLine, UsageNamesEveryCommandOfTheTable) {
    const QString usage = CommandLine::usage();
    for (const CommandDescription& command : CommandTable::all()) {
        EXPECT_TRUE(usage.contains(u"stowline "_s + command.nameText())) << command.nameText().toStdString();
        EXPECT_TRUE(usage.contains(QString::fromUtf16(command.help).split(u'\n').first()));
    }
    for (const char16_t* expected :
         {u"--background", u"--help", u"--version", u"export [FILE]", u"copy [ID|N] [--plain] [--paste]"})
        EXPECT_TRUE(usage.contains(QString::fromUtf16(expected))) << QString::fromUtf16(expected).toStdString();
}
