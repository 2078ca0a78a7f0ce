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
