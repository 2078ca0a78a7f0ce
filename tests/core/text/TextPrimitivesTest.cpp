#include "core/text/Graphemes.h"
#include "core/text/LineEndings.h"
#include "core/text/UrlSyntax.h"
#include "core/text/Utf8.h"
#include "core/text/WhiteSpace.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {
const QString family = u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_s; // one character, eight code units
const QString flag = u"\U0001F1E9\U0001F1EA"_s;                         // regional indicator pair
const QString eAcute = u"e\u0301"_s;                                    // base plus combining mark
} // namespace

TEST(Graphemes, CountsUserPerceivedCharacters) {
    EXPECT_EQ(Graphemes::count(u""), 0);
    EXPECT_EQ(Graphemes::count(u"abc"), 3);
    EXPECT_EQ(Graphemes::count(u"a\r\nb"), 3);
    EXPECT_EQ(Graphemes::count(family), 1);
    EXPECT_EQ(Graphemes::count(flag + flag), 2);
    EXPECT_EQ(Graphemes::count(eAcute + eAcute), 2);
    EXPECT_EQ(Graphemes::count(u"\u0915\u094D\u0937"_s), 1); // Devanagari conjunct
    EXPECT_EQ(Graphemes::countUpTo(QString(10000, u'x'), 5), 5);
    // Latin text around joined characters, line breaks at the edges.
    const QString mixed = u"\r\nab"_s + eAcute + u"cd"_s + flag + u"x\r\n"_s + family + u"z\r"_s;
    EXPECT_EQ(Graphemes::count(mixed), 12);
    EXPECT_EQ(Graphemes::prefix(mixed, 4), u"\r\nab"_s + eAcute);
    EXPECT_EQ(Graphemes::prefix(mixed, 8), u"\r\nab"_s + eAcute + u"cd"_s + flag + u"x"_s);
    EXPECT_EQ(Graphemes::countUpTo(mixed, 10), 10);
}

TEST(Graphemes, PrefixNeverSplitsACharacter) {
    const QString text = eAcute + family + u"\r\n"_s + flag + u"z"_s;
    EXPECT_EQ(Graphemes::prefix(text, 0), u"");
    EXPECT_EQ(Graphemes::prefix(text, 1), eAcute);
    EXPECT_EQ(Graphemes::prefix(text, 2), eAcute + family);
    EXPECT_EQ(Graphemes::prefix(text, 3), eAcute + family + u"\r\n"_s);
    EXPECT_EQ(Graphemes::prefix(text, 4), eAcute + family + u"\r\n"_s + flag);
    EXPECT_EQ(Graphemes::prefix(text, 99), text);
    // A lone surrogate is one character of its own, not a crash.
    const QString broken = u"a"_s + QChar(0xD800) + u"b"_s;
    EXPECT_EQ(Graphemes::count(broken), 3);
    EXPECT_EQ(Graphemes::prefix(broken, 2).size(), 2);
}

TEST(WhiteSpace, ClassifiesUnicodeWhiteSpace) {
    for (char32_t c : {U' ', U'\t', U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u00A0', U'\u1680', U'\u2003', U'\u2028',
                       U'\u2029', U'\u202F', U'\u3000'}) {
        SCOPED_TRACE(uint32_t(c));
        EXPECT_TRUE(WhiteSpace::isWhiteSpace(c));
    }
    for (char32_t c : {U'a', U'\u200B', U'\u200D', U'\uFEFF', U'\U0001F600', U'_'})
        EXPECT_FALSE(WhiteSpace::isWhiteSpace(c)) << uint32_t(c);
}

TEST(WhiteSpace, TrimsSplitsAndCollapses) {
    EXPECT_EQ(WhiteSpace::trimmed(u"\u3000 a b\u2029\n"), u"a b");
    EXPECT_EQ(WhiteSpace::trimmed(u" \t\n"), u"");
    EXPECT_TRUE(WhiteSpace::isBlank(u"\u00A0\r\n"));
    EXPECT_FALSE(WhiteSpace::isBlank(u" .\n"));
    const auto pieces = WhiteSpace::split(u"  a\tb\n\nc  ");
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[1], u"b");
    EXPECT_EQ(WhiteSpace::collapsed(u"  a\tb\n\nc  "), u"a b c");
    EXPECT_EQ(WhiteSpace::collapsed(u"one  two   three", 6), u"one tw");
    // The cap counts characters: eighty families are far more than eighty code units.
    QString families;
    for (int i = 0; i < 90; ++i)
        families += family;
    EXPECT_EQ(WhiteSpace::collapsed(families, 80), Graphemes::prefix(families, 80));
    EXPECT_EQ(WhiteSpace::collapsed(u"ab "_s + eAcute + u"cd"_s, 4), u"ab "_s + eAcute);
}

TEST(UrlSyntax, AcceptsUrisWithASchemeOnly) {
    for (const char16_t* text :
         {u"https://example.com/a?b=c#d", u"mailto:someone@example.com", u"file:///tmp/a%20b", u"x-app+v1.2:thing",
          u"urn:isbn:0451450523", u"http://[::1]:8080/", u"http://[2001:db8::7]/c=GB?objectClass?one",
          u"ftp://user:pw@host:21/", u"tel:+1-816-555-1212", u"localhost:8080", u"news:comp.infosystems.www"}) {
        SCOPED_TRACE(QStringView(text).toString().toStdString());
        EXPECT_TRUE(UrlSyntax::parsesWithScheme(text));
    }
    for (const char16_t* text : {u"example.com/path", u"/usr/bin", u"1http://x", u"://x", u"https://exa mple.com",
                                 u"https://example.com/\u00e9", u"http://[::1/", u"http://host:80a/", u"a:b%2",
                                 u"a:b%zz", u"note: remember", u"", u"http://[1:2:3:4:5:6:7:8:9]/"}) {
        SCOPED_TRACE(QStringView(text).toString().toStdString());
        EXPECT_FALSE(UrlSyntax::parsesWithScheme(text));
    }
}

TEST(Utf8, RejectsInvalidSequencesAndKeepsByteOrderMark) {
    EXPECT_EQ(Utf8::decode("h\xc3\xa9"), u"h\u00e9"_s);
    EXPECT_EQ(Utf8::decode("\xef\xbb\xbfx")->size(), 2);
    EXPECT_FALSE(Utf8::decode("\xff").has_value());
    EXPECT_FALSE(Utf8::decode("\xc0\xaf").has_value());        // overlong
    EXPECT_FALSE(Utf8::decode("\xed\xa0\x80").has_value());    // encoded surrogate
    EXPECT_FALSE(Utf8::decode("ab\xe2\x82").has_value());      // truncated
    EXPECT_EQ(Utf8::decode(QByteArray("a\0b", 3))->size(), 3); // NUL is valid
}

TEST(LineEndings, AnEditKeepsEveryLineEndingItDidNotReach) {
    struct Case {
        QString original;
        QString edited; // as the editor shows it, with "\n" only
        QString expected;
    };
    const Case cases[] = {
        {u"a\r\nb\nc"_s, u"a\nb\nc"_s, u"a\r\nb\nc"_s},         // untouched
        {u"a\r\nb\nc"_s, u"a\nb\ncd"_s, u"a\r\nb\ncd"_s},       // typed at the end
        {u"a\r\nb\nc"_s, u"x\nb\nc"_s, u"x\r\nb\nc"_s},         // replaced the first letter
        {u"a\r\nb\nc"_s, u"a\nb\nX\nc"_s, u"a\r\nb\nX\r\nc"_s}, // a new line takes the first ending
        {u"a\rb\r\nc\n"_s, u"a\nc\n"_s, u"a\rc\n"_s},           // a line removed
        {u"one\ntwo"_s, u"one\n\ntwo"_s, u"one\n\ntwo"_s},      // only line feeds
        {u"\r\n\r\n"_s, u"\n"_s, u"\r\n"_s},                    // an empty line removed
        {u"a\r\n"_s, QString(), QString()},                     // everything removed
        {QString(), u"new\ntext"_s, u"new\ntext"_s},            // into nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.original.toStdString() + " -> " + c.edited.toStdString());
        EXPECT_EQ(LineEndings::normalized(LineEndings::restored(c.original, c.edited)), c.edited);
        EXPECT_EQ(LineEndings::restored(c.original, c.edited), c.expected);
    }
    EXPECT_EQ(LineEndings::normalized(u"a\r\nb\rc\n"_s), u"a\nb\nc\n"_s);
}
