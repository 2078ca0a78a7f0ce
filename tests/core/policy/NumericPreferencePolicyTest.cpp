#include "core/policy/NumericPreferencePolicy.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

TEST(NumericPreferencePolicy, AcceptsOnlyExactPositiveWholeNumbers) {
    const std::pair<QString, std::optional<qint64>> cases[] = {
        {u" 42 "_s, 42},
        {u"\n7\t"_s, 7},
        {u"1"_s, 1},
        {u"000300"_s, 300},
        {u"9223372036854775807"_s, std::numeric_limits<qint64>::max()},
        {u"9223372036854775808"_s, std::nullopt},
        {u"+5"_s, std::nullopt},
        {u"-3"_s, std::nullopt},
        {u"0"_s, std::nullopt},
        {u"000"_s, std::nullopt},
        {u"1,000"_s, std::nullopt},
        {u"4.0"_s, std::nullopt},
        {u"1 000"_s, std::nullopt},
        {u"12a"_s, std::nullopt},
        {u"\u0663"_s, std::nullopt}, // Arabic-Indic three
        {u"\u00BD"_s, std::nullopt}, // vulgar fraction one half
        {u""_s, std::nullopt},
        {u"   "_s, std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(NumericPreferencePolicy::positiveInteger(text), expected);
    }
}

TEST(NumericPreferencePolicy, AcceptsFontSizesFromSixToSeventyTwo) {
    const std::pair<QString, std::optional<double>> cases[] = {
        {u"12,5"_s, 12.5},
        {u" 12.0 "_s, 12.0},
        {u"72"_s, 72.0},
        {u"6"_s, 6.0},
        {u"1.2e1"_s, 12.0},
        {u"7.25"_s, 7.25},
        {u"5.9"_s, std::nullopt},
        {u"72.01"_s, std::nullopt},
        {u"inf"_s, std::nullopt},
        {u"nan"_s, std::nullopt},
        {u"infinity"_s, std::nullopt},
        {u""_s, std::nullopt},
        {u"12pt"_s, std::nullopt},
        {u"1 2"_s, std::nullopt},
        {u"12,5,1"_s, std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(NumericPreferencePolicy::fontPoints(text), expected);
    }
}

TEST(NumericPreferencePolicy, FormatsWholeSizesWithoutFraction) {
    EXPECT_EQ(NumericPreferencePolicy::formatted(12.0), u"12");
    EXPECT_EQ(NumericPreferencePolicy::formatted(12.5), u"12.5");
    EXPECT_EQ(NumericPreferencePolicy::formatted(7.25), u"7.25");
    EXPECT_EQ(NumericPreferencePolicy::formatted(0.1 + 0.2), u"0.30000000000000004");
    EXPECT_EQ(NumericPreferencePolicy::formatted(*NumericPreferencePolicy::fontPoints(u"12,0")), u"12");
    // What is shown reads back as the same value.
    for (double value : {6.0, 6.1, 11.75, 13.333333333333334, 71.99}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(NumericPreferencePolicy::fontPoints(NumericPreferencePolicy::formatted(value)), value);
    }
}
