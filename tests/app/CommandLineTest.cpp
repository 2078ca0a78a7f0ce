#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(CommandLine, ParsesFlagsAndRejectsUnknownArguments) {
    QString error;
    const auto plain = CommandLine::parse({u"stowline"_s}, &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->action, CommandLine::Action::start);
    EXPECT_FALSE(plain->background);

    const auto background = CommandLine::parse({u"stowline"_s, u"--background"_s}, &error);
    ASSERT_TRUE(background);
    EXPECT_TRUE(background->background);

    EXPECT_EQ(CommandLine::parse({u"stowline"_s, u"--version"_s}, &error)->action, CommandLine::Action::version);
    EXPECT_EQ(CommandLine::parse({u"stowline"_s, u"-h"_s}, &error)->action, CommandLine::Action::help);

    EXPECT_FALSE(CommandLine::parse({u"stowline"_s, u"--backgroud"_s}, &error));
    EXPECT_TRUE(error.contains(u"--backgroud"));
    EXPECT_FALSE(error.contains(u'\n'));
}

TEST(CommandLine, CommandsForTheRunningInstance) {
    struct Case {
        QStringList arguments;
        CommandLine::Action action;
        InstanceCommand sent;
        bool startsApplication;
    };
    const Case cases[] = {
        {{u"stowline"_s}, CommandLine::Action::start, InstanceCommand::show, true},
        {{u"stowline"_s, u"--background"_s}, CommandLine::Action::start, InstanceCommand::status, true},
        {{u"stowline"_s, u"show"_s}, CommandLine::Action::show, InstanceCommand::show, true},
        {{u"stowline"_s, u"toggle"_s}, CommandLine::Action::toggle, InstanceCommand::toggle, true},
        {{u"stowline"_s, u"quit"_s}, CommandLine::Action::quit, InstanceCommand::quit, false},
        {{u"stowline"_s, u"status"_s}, CommandLine::Action::status, InstanceCommand::status, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString error;
        const auto parsed = CommandLine::parse(c.arguments, &error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(parsed->action, c.action);
        EXPECT_EQ(parsed->request().command, c.sent);
        EXPECT_TRUE(parsed->request().arguments.isEmpty());
        EXPECT_EQ(parsed->startsApplication(), c.startsApplication);
    }
}

TEST(CommandLine, RejectsCommandsThatContradictEachOther) {
    const QStringList rejected[] = {
        {u"stowline"_s, u"quit"_s, u"show"_s},
        {u"stowline"_s, u"quit"_s, u"--background"_s},
        {u"stowline"_s, u"--background"_s, u"toggle"_s},
        {u"stowline"_s, u"Quit"_s},
    };
    for (const QStringList& arguments : rejected) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        QString error;
        EXPECT_FALSE(CommandLine::parse(arguments, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(error.contains(u'\n'));
    }
    // Help wins over anything else on the line.
    QString error;
    EXPECT_EQ(CommandLine::parse({u"stowline"_s, u"quit"_s, u"--help"_s}, &error)->action, CommandLine::Action::help);
    for (const char16_t* command : {u"show", u"toggle", u"quit", u"status"})
        EXPECT_TRUE(CommandLine::usage().contains(QString::fromUtf16(command)));
}

TEST(CommandLine, ParsesTheArchiveCommands) {
    using Action = CommandLine::Action;
    const struct {
        QStringList arguments;
        Action action;
        QString file;
    } accepted[] = {
        {{u"export"_s}, Action::exportHistory, {}},
        {{u"export"_s, u"backup.json"_s}, Action::exportHistory, u"backup.json"_s},
        {{u"import"_s, u"backup.json"_s}, Action::importHistory, u"backup.json"_s},
        // A file name that looks like an option follows "--".
        {{u"import"_s, u"--"_s, u"--odd.json"_s}, Action::importHistory, u"--odd.json"_s},
        {{u"import"_s, u"--help"_s}, Action::help, {}},
        {{u"export"_s, u"--version"_s}, Action::version, {}},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString error;
        const auto parsed = CommandLine::parse(QStringList{u"stowline"_s} + c.arguments, &error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(parsed->action, c.action);
        EXPECT_EQ(parsed->file, c.file);
    }

    const struct {
        QStringList arguments;
        const char16_t* message;
    } rejected[] = {
        {{u"import"_s}, u"import takes exactly one file; see stowline --help"},
        {{u"import"_s, u"a"_s, u"b"_s}, u"import takes exactly one file; see stowline --help"},
        {{u"export"_s, u"a"_s, u"b"_s}, u"export takes at most one file; see stowline --help"},
        {{u"export"_s, u""_s}, u"the file name is empty; see stowline --help"},
        {{u"--background"_s, u"export"_s}, u"--background does not go with export; see stowline --help"},
        {{u"backup.json"_s}, u"unknown command \"backup.json\"; see stowline --help"},
        {{u"export"_s, u"-x"_s}, u"unknown argument \"-x\"; see stowline --help"},
    };
    for (const auto& c : rejected) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QString error;
        EXPECT_FALSE(CommandLine::parse(QStringList{u"stowline"_s} + c.arguments, &error));
        EXPECT_EQ(error, QString::fromUtf16(c.message));
    }
}

TEST(CommandLine, UsageNamesEveryCommand) {
    const QString usage = CommandLine::usage();
    for (const char16_t* expected : {u"--background", u"--help", u"--version", u"export [FILE]", u"import FILE"})
        EXPECT_TRUE(usage.contains(QString::fromUtf16(expected))) << QString::fromUtf16(expected).toStdString();
}

TEST(CommandLine, ParsesListAndCopy) {
    QString error;
    const auto list = CommandLine::parse({u"stowline"_s, u"list"_s}, &error);
    ASSERT_TRUE(list) << error.toStdString();
    EXPECT_TRUE(list->isHistoryCommand());
    EXPECT_EQ(list->request(), (InstanceRequest{InstanceCommand::list, {}}));

    const struct {
        QStringList arguments;
        InstanceRequest sent;
    } accepted[] = {
        {{u"copy"_s, u"3"_s}, {InstanceCommand::copy, {u"3"_s}}},
        {{u"copy"_s, u"12"_s, u"--paste"_s}, {InstanceCommand::copy, {u"12"_s, u"paste"_s}}},
        {{u"--paste"_s, u"copy"_s, u"1"_s}, {InstanceCommand::copy, {u"1"_s, u"paste"_s}}},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto parsed = CommandLine::parse(QStringList{u"stowline"_s} + c.arguments, &error);
        ASSERT_TRUE(parsed) << error.toStdString();
        EXPECT_EQ(parsed->action, CommandLine::Action::copy);
        EXPECT_EQ(parsed->request(), c.sent);
        EXPECT_TRUE(parsed->isInstanceCommand());
        EXPECT_FALSE(parsed->startsApplication());
        EXPECT_FALSE(parsed->isHistoryCommand());
    }

    const QStringList rejected[] = {
        {u"copy"_s},           {u"copy"_s, u"0"_s},         {u"copy"_s, u"-1"_s},           {u"copy"_s, u"+1"_s},
        {u"copy"_s, u"one"_s}, {u"copy"_s, u"1"_s, u"2"_s}, {u"list"_s, u"--paste"_s},      {u"list"_s, u"all"_s},
        {u"--paste"_s},        {u"show"_s, u"--paste"_s},   {u"--background"_s, u"list"_s},
    };
    for (const QStringList& arguments : rejected) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        EXPECT_FALSE(CommandLine::parse(QStringList{u"stowline"_s} + arguments, &error));
        EXPECT_FALSE(error.contains(u'\n'));
    }
}
