#include "core/policy/LoginStartupPolicy.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(LoginStartupPolicy, ProgramArgumentsAreThePathThenBackground) {
    EXPECT_EQ(LoginStartupPolicy::programArguments(u"/usr/bin/stowline"_s),
              QStringList({u"/usr/bin/stowline"_s, u"--background"_s}));
    EXPECT_EQ(LoginStartupPolicy::programArguments(QString()), QStringList({QString(), u"--background"_s}));
    EXPECT_EQ(LoginStartupPolicy::programArguments(u"/opt/My Apps/stow line"_s).first(), u"/opt/My Apps/stow line");
}

TEST(LoginStartupPolicy, InitialValueFollowsTheTable) {
    struct Case {
        std::optional<bool> stored;
        bool explicitChoice;
        qint64 schema;
        bool expected;
    };
    const Case cases[] = {
        {std::nullopt, false, 0, true}, {std::nullopt, true, 4, true}, {std::nullopt, false, 9, true},
        {true, false, 0, true},         {true, true, 4, true},         {true, false, 7, true},
        {false, false, 0, true},        {false, false, 3, true},       {false, false, -1, true},
        {false, false, 4, false},       {false, false, 5, false},      {false, true, 0, false},
        {false, true, 3, false},        {false, true, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored=" << (c.stored ? int(*c.stored) : -1)
                                        << " explicit=" << c.explicitChoice << " schema=" << c.schema);
        EXPECT_EQ(LoginStartupPolicy::initialEnabled(c.stored, c.explicitChoice, c.schema), c.expected);
    }
}
