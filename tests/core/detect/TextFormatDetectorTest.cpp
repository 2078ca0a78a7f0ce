#include "core/detect/TextFormatDetector.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
using F = TextContentFormat;

namespace {

struct Case {
    QString text;
    F expected;
};

} // namespace

TEST(TextFormatDetector, DecidesFormats) {
    const QList<Case> cases{
        {u""_s, F::plain},
        {u" \n\t\n"_s, F::plain},
        {u"Just a sentence, with words."_s, F::plain},
        {u"[1, 2, 3]"_s, F::json},
        {u"\n\n  {\"a\": {\"b\": [true, null, -1.5e3]}}\n"_s, F::json},
        {u"42"_s, F::plain},
        {u"\"quoted\""_s, F::plain},
        {u"Intro\n```\nlet x = 1\n```"_s, F::markdown},
        {u"# Title\n\n- one\n- two"_s, F::markdown},
        {u"select name from users"_s, F::sql},
        {u"SELECT id FROM t"_s, F::sql},
        {u"import SwiftUI\nstruct ContentView: View {}"_s, F::swift},
        {u"def greet(name):\n    return name"_s, F::python},
        {u"const add = (a, b) => a + b;"_s, F::javascript},
        {u"#!/bin/bash\necho hi"_s, F::shell},
        {u"name: demo\nversion: 2"_s, F::yaml},
        {u"name: demo\n- item"_s, F::plain},
        {u"name: demo\nurl: {x}"_s, F::plain},
        {u"f(x) { a; b; }"_s, F::sourceCode},
        {u"f(x) { a }"_s, F::plain},
        // Markdown is scored before every code format, SQL before Swift and so on.
        {u"```\nSELECT a FROM b\n```"_s, F::markdown},
        {u"SELECT a FROM b\nfunc go() {}\nstruct A {}"_s, F::sql},
        {u"func go() {\n  let x = 1\n}\nstruct Point {}"_s, F::swift},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(TextFormatDetector::detect(c.text), c.expected);
    }
}

TEST(TextFormatDetector, StrictJson) {
    const QList<std::pair<QString, bool>> cases{
        {u"{}"_s, true},
        {u"[]"_s, true},
        {u"[123456789012345678901234567890, 1e400]"_s, true},
        {u"{\"a\":\"\\u00e9\\n\"}"_s, true},
        {u"{\"a\":1,}"_s, false},
        {u"[1] // comment"_s, false},
        {u"[NaN]"_s, false},
        {u"[01]"_s, false},
        {u"[1.]"_s, false},
        {u"{a:1}"_s, false},
        {u"['x']"_s, false},
        {u"[\"tab\there\"]"_s, false},
        {u"[1] [2]"_s, false},
        {u"[\"\\x\"]"_s, false},
        {u"[\""_s + QChar(0xD800) + u"\"]"_s, false},
        {QString(2000, u'[') + QString(2000, u']'), true},
        {QString(2000, u'[') + QString(1999, u']'), false},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.left(60).toStdString());
        EXPECT_EQ(TextFormatDetector::isJSON(text), expected);
    }
}

TEST(TextFormatDetector, TruncatedJsonNeedsALongerOriginal) {
    QString document = u"{\"first\": 1, \"second\": \"x\", \"list\": ["_s;
    while (document.size() <= 5000)
        document += u"1234567890, "_s;
    document += u"0]}"_s;
    EXPECT_EQ(TextFormatDetector::detect(document), F::json);
    EXPECT_FALSE(TextFormatDetector::isJSON(document.left(4096)));
    EXPECT_TRUE(TextFormatDetector::looksLikeTruncatedJSON(document.left(4096), true));
    // The same broken text at most 4096 characters long is not treated as truncated.
    EXPECT_FALSE(TextFormatDetector::looksLikeTruncatedJSON(document.left(4096), false));
    EXPECT_NE(TextFormatDetector::detect(document.left(4096)), F::json);
    // One member name is not enough.
    EXPECT_FALSE(TextFormatDetector::looksLikeTruncatedJSON(u"{\"only\": [1, 2"_s, true));
}

TEST(TextFormatDetector, OnlyTheFirst4096CharactersDecide) {
    const QString filler = u"word "_s.repeated(820); // 4100 characters
    EXPECT_EQ(TextFormatDetector::detect(filler + u"\ndef f(x):\n    return x\n"_s), F::plain);
    EXPECT_EQ(TextFormatDetector::detect(u"def f(x):\n    return x\n"_s + filler), F::python);
}

TEST(TextFormatDetector, SplitsLinesAtEveryTerminator) {
    const auto lines = TextFormatDetector::lines(u"a\r\nb\vc\fd\u0085e\u2028f\u2029g"_s);
    const QList<QStringView> expected{u"a", u"", u"b", u"c", u"d", u"e", u"f", u"g"};
    EXPECT_EQ(lines, expected);
}

TEST(TextFormatDetector, Scores) {
    const auto lines = [](const QString& s) { return TextFormatDetector::lines(s); };
    struct Score {
        QString sample;
        int (*score)(const QList<QStringView>&, QStringView);
        int expected;
    };
    const auto markdown = TextFormatDetector::markdownScore;
    const auto python = TextFormatDetector::pythonScore;
    const auto shell = TextFormatDetector::shellScore;
    const auto yaml = TextFormatDetector::yamlScore;
    const QList<Score> cases{
        {u"~~~"_s, markdown, 3},
        {u"## Heading"_s, markdown, 2},
        {u"#hashtag"_s, markdown, 0},
        {u"- a\n2) b"_s, markdown, 2},
        {u"- a"_s, markdown, 0},
        {u"> quoted"_s, markdown, 1},
        {u"see [docs](http://x.y)"_s, markdown, 2},
        {u"* * *"_s, markdown, 1},
        {u"- * -"_s, markdown, 0},
        {u"async def run() -> int:"_s, python, 3},
        {u"from os import path"_s, python, 1},
        {u"class A(B):"_s, python, 2},
        {u"if x:\n    y"_s, python, 1},
        {u"x = None"_s, python, 1},
        {u"#!/usr/bin/env zsh"_s, shell, 4},
        {u"#!/usr/bin/env python"_s, shell, 0},
        {u"sudo rm -rf x"_s, shell, 2},
        {u"echo ${HOME}"_s, shell, 1},
        {u"a && b"_s, shell, 1},
        {u"for f in *; do"_s, shell, 1 + 2},
        {u"---\nkey: value"_s, yaml, 2},
        {u"---\na: 1\nb: 2"_s, yaml, 2 + 3},
        {u"a: 1\nb: 2\n  c: 3"_s, yaml, 3 + 1},
        {u"- a\n- b"_s, yaml, 1},
        {u"a: 1\nb: 2;"_s, yaml, 0},
        {u"url://x\nb: 2"_s, yaml, 0},
    };
    for (const Score& c : cases) {
        SCOPED_TRACE(c.sample.toStdString());
        EXPECT_EQ(c.score(lines(c.sample), c.sample), c.expected);
    }
    const QList<std::tuple<QString, int (*)(QStringView), int>> plainScores{
        {u"SELECT a\nFROM b WHERE c"_s, TextFormatDetector::sqlScore, 3 + 1},
        {u"insert into t values (1)"_s, TextFormatDetector::sqlScore, 3},
        {u"UPDATE t\nSET a = 1"_s, TextFormatDetector::sqlScore, 3},
        {u"create index i on t"_s, TextFormatDetector::sqlScore, 3},
        {u"order by"_s, TextFormatDetector::sqlScore, 1},
        {u"import Foundation"_s, TextFormatDetector::swiftScore, 2},
        {u"enum Color"_s, TextFormatDetector::swiftScore, 2},
        {u"enum color"_s, TextFormatDetector::swiftScore, 0},
        {u"func go ("_s, TextFormatDetector::swiftScore, 2},
        {u"var items: Array<Int> = []"_s, TextFormatDetector::swiftScore, 1},
        {u"guard let x"_s, TextFormatDetector::swiftScore, 1},
        {u"let $el = 1"_s, TextFormatDetector::javascriptScore, 1},
        {u"async function go("_s, TextFormatDetector::javascriptScore, 2},
        {u"x => x"_s, TextFormatDetector::javascriptScore, 2},
        {u"export default 1"_s, TextFormatDetector::javascriptScore, 1},
        {u"JSON.parse"_s, TextFormatDetector::javascriptScore, 1},
        {u"interface Props {"_s, TextFormatDetector::javascriptScore, 2},
        {u"{ }"_s, TextFormatDetector::genericCodeScore, 1},
        {u"a;b;"_s, TextFormatDetector::genericCodeScore, 2},
        {u"public static int x"_s, TextFormatDetector::genericCodeScore, 1},
        {u"a::b"_s, TextFormatDetector::genericCodeScore, 1},
        {u"  // note"_s, TextFormatDetector::genericCodeScore, 1},
    };
    for (const auto& [sample, score, expected] : plainScores) {
        SCOPED_TRACE(sample.toStdString());
        EXPECT_EQ(score(sample), expected);
    }
}
