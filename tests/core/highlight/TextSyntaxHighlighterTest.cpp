#include "core/highlight/RegexCache.h"
#include "core/highlight/TextSyntaxHighlighter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace stowline;
using namespace Qt::StringLiterals;
using F = TextContentFormat;
using R = HighlightRole;

namespace {

// The role of every code unit of `part` (its first occurrence), or nothing when they differ.
std::optional<std::optional<R>> roleOf(const HighlightedText& highlighted, const QString& part) {
    const qsizetype at = highlighted.text.indexOf(part);
    EXPECT_GE(at, 0) << part.toStdString();
    const std::optional<R> first = highlighted.roleAt(at);
    for (qsizetype i = at; i < at + part.size(); ++i) {
        if (highlighted.roleAt(i) != first)
            return std::nullopt;
    }
    return first;
}

struct Case {
    F format;
    QString text;
    QString part;
    std::optional<R> role;
};

} // namespace

TEST(TextSyntaxHighlighter, PlainTextGetsOnlyTheProportionalFont) {
    const auto highlighted = TextSyntaxHighlighter::highlight(u"if x == 42 { \"s\" }"_s, F::plain, std::nullopt);
    EXPECT_EQ(highlighted.font, HighlightFont::proportionalMedium);
    EXPECT_TRUE(highlighted.runs.isEmpty());
    for (F format : allCases<F>()) {
        if (format != F::plain) {
            EXPECT_EQ(TextSyntaxHighlighter::font(format), HighlightFont::monospacedRegular);
        }
    }
}

TEST(TextSyntaxHighlighter, LaterPassesWinWhereTheyOverlap) {
    const QList<Case> cases{
        {F::swift, u"let s = \"if return 42\""_s, u"\"if return 42\""_s, R::string},
        {F::swift, u"let s = \"a // b\" + 1"_s, u"// b\" + 1"_s, R::comment},
        {F::swift, u"let s = \"a // b\" + 1"_s, u"\"a "_s, R::string},
        {F::json, u"{\"name\": true, \"n\": 12}"_s, u"\"name\""_s, R::string},
        {F::json, u"{\"name\": true, \"n\": 12}"_s, u"true"_s, R::keyword},
        {F::yaml, u"  key: null # note"_s, u"  key"_s, R::key},
        {F::yaml, u"  key: null # note"_s, u"# note"_s, R::comment},
        {F::yaml, u"key: 'quoted # not comment'"_s, u"# not comment'"_s, R::comment},
        {F::python, u"IF x: RETURN None"_s, u"RETURN"_s, R::keyword},
        {F::sql, u"select a from b -- rows"_s, u"select"_s, R::keyword},
        {F::sql, u"select a from b -- rows"_s, u"-- rows"_s, R::comment},
        {F::sql, u"/* if\n while */ x"_s, u"/* if\n while */"_s, R::comment},
        {F::shell, u"for f in x; do echo $f; done"_s, u"done"_s, R::keyword},
        {F::sourceCode, u"x1 = 0x1F + 3.25 + x12 + 12ab + _7"_s, u"0x1F"_s, R::number},
        {F::sourceCode, u"x1 = 0x1F + 3.25 + x12 + 12ab + _7"_s, u"3.25"_s, R::number},
        {F::sourceCode, u"x1 = 0x1F + 3.25 + x12 + 12ab + _7"_s, u"x12"_s, std::nullopt},
        {F::sourceCode, u"x1 = 0x1F + 3.25 + x12 + 12ab + _7"_s, u"12ab"_s, std::nullopt},
        {F::sourceCode, u"x1 = 0x1F + 3.25 + x12 + 12ab + _7"_s, u"_7"_s, std::nullopt},
        {F::javascript, u"/* a\n\"b\" */ c"_s, u"\"b\""_s, R::comment},
        {F::markdown, u"## Heading 2\ntext"_s, u"##"_s, R::markdownMarker},
        {F::markdown, u"## Heading 2\ntext"_s, u" Heading "_s, std::nullopt},
        {F::markdown, u"## Heading 2\ntext"_s, u"2"_s, R::number},
        {F::markdown, u"- item\n> quote"_s, u"- "_s, R::markdownMarker},
        {F::markdown, u"say **bold 1** now"_s, u"**bold 1**"_s, R::strongEmphasis},
        {F::markdown, u"say ** not bold** now"_s, u"** not bold**"_s, std::nullopt},
        {F::markdown, u"x <!-- if 'a' --> y"_s, u"<!-- if 'a' -->"_s, R::comment},
        {F::markdown, u"if it's 'quoted'"_s, u"if"_s, R::keyword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((rawValue(c.format) + u": "_s + c.text + u" @ "_s + c.part).toStdString());
        const auto highlighted = TextSyntaxHighlighter::highlight(c.text, c.format, std::nullopt);
        EXPECT_EQ(highlighted.font, HighlightFont::monospacedRegular);
        const auto role = roleOf(highlighted, c.part);
        ASSERT_TRUE(role.has_value()) << "mixed roles";
        EXPECT_EQ(*role, c.role);
    }
}

TEST(TextSyntaxHighlighter, RunsAreSortedAndDisjoint) {
    const auto highlighted = TextSyntaxHighlighter::highlight(
        u"func f() { let s = \"x // 1\"; return 2 } // end\n/* 3 */"_s, F::swift, std::nullopt);
    ASSERT_FALSE(highlighted.runs.isEmpty());
    for (qsizetype i = 1; i < highlighted.runs.size(); ++i) {
        const HighlightRun& before = highlighted.runs[i - 1];
        const HighlightRun& after = highlighted.runs[i];
        EXPECT_LE(before.location + before.length, after.location);
        // Neighbouring runs of one role are merged.
        if (before.location + before.length == after.location) {
            EXPECT_NE(before.role, after.role);
        }
    }
}

TEST(TextSyntaxHighlighter, LimitCutsWholeCharacters) {
    const QString text = u"ab\U0001F468\u200D\U0001F469cde\u0301f"_s;
    EXPECT_EQ(TextSyntaxHighlighter::highlight(text, F::swift, 3).text, u"ab\U0001F468\u200D\U0001F469"_s);
    EXPECT_EQ(TextSyntaxHighlighter::highlight(text, F::swift, 6).text, u"ab\U0001F468\u200D\U0001F469cde\u0301"_s);
    EXPECT_EQ(TextSyntaxHighlighter::highlight(text, F::swift, 0).text, u""_s);
    EXPECT_EQ(TextSyntaxHighlighter::highlight(text, F::swift, std::nullopt).text, text);
}

TEST(TextSyntaxHighlighter, KeywordPatterns) {
    EXPECT_EQ(TextSyntaxHighlighter::keywordPattern(F::json), u"(?i)\\b(?:false|null|true)\\b"_s);
    EXPECT_EQ(TextSyntaxHighlighter::keywordPattern(F::markdown), TextSyntaxHighlighter::keywordPattern(F::sourceCode));
    EXPECT_TRUE(TextSyntaxHighlighter::keywordPattern(F::sql).contains(u"|VALUES|"_s));
}

TEST(RegexCache, SharesCompiledPatternsAcrossThreadsAndSkipsBadOnes) {
    EXPECT_FALSE(RegexCache::regex(u"(unclosed"_s).has_value());
    std::atomic<int> failures = 0;
    // std::thread rather than QThread: its join is a happens-before the race detector can see.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 200; ++i) {
                const auto regex = RegexCache::regex(u"\\d+x"_s + QString::number(i % 20));
                if (!regex || regex->matches(u"12x"_s + QString::number(i % 20) + u" 3x"_s).size() != 1)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}
