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
