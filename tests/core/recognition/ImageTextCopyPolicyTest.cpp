#include "core/recognition/ImageTextCopyPolicy.h"

#include <QList>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
using Intent = ImageTextCopyIntent;
using Selection = ImageTextCopySelection;

namespace {

struct Case {
    QString text;
    Intent intent;
    std::optional<Selection> expected;
};

std::optional<Selection> expectSelection(const QString& text, qsizetype location, qsizetype length) {
    return Selection{text.sliced(location, length), location, length};
}

void expectAll(const QList<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE((c.text + u" @ "_s + QString::number(c.intent.utf16Index())).toStdString());
        EXPECT_EQ(ImageTextCopyPolicy::selection(c.text, c.intent), c.expected);
    }
}

} // namespace

TEST(ImageTextCopyPolicy, EmptyTextSelectsNothing) {
    for (const Intent& intent : {Intent::wholeText(), Intent::line(0), Intent::word(0)})
        EXPECT_FALSE(ImageTextCopyPolicy::selection(u""_s, intent).has_value());
}

TEST(ImageTextCopyPolicy, Lines) {
    const QString text = u"one\r\ntwo\nthree"_s;
    const QString separators = u"a\u2028b\u0085c\rd\n\ne"_s;
    expectAll({
        {text, Intent::wholeText(), expectSelection(text, 0, text.size())},
        {text, Intent::line(0), expectSelection(text, 0, 3)},
        {text, Intent::line(3), expectSelection(text, 0, 3)}, // on the carriage return
        {text, Intent::line(4), expectSelection(text, 0, 3)}, // on the line feed of the pair
        {text, Intent::line(5), expectSelection(text, 5, 3)},
        {text, Intent::line(13), expectSelection(text, 9, 5)},
        {text, Intent::line(14), std::nullopt},
        {text, Intent::line(-1), std::nullopt},
        // Other separators end a line but only carriage returns and line feeds are stripped.
        {separators, Intent::line(0), expectSelection(separators, 0, 2)},
        {separators, Intent::line(2), expectSelection(separators, 2, 2)},
        {separators, Intent::line(4), expectSelection(separators, 4, 1)},
        {separators, Intent::line(8), std::nullopt}, // the empty line
        {separators, Intent::line(9), expectSelection(separators, 9, 1)},
    });
}

TEST(ImageTextCopyPolicy, Words) {
    const QString text = u"Hello, wörld 3.5 can't"_s;
    expectAll({
        {text, Intent::word(0), expectSelection(text, 0, 5)},
        {text, Intent::word(4), expectSelection(text, 0, 5)},
        {text, Intent::word(5), std::nullopt}, // the comma
        {text, Intent::word(6), std::nullopt}, // the space
        {text, Intent::word(9), expectSelection(text, 7, 5)},
        {text, Intent::word(14), expectSelection(text, 13, 3)},
        {text, Intent::word(20), expectSelection(text, 17, 5)},
        {text, Intent::word(22), std::nullopt},
        {text, Intent::word(-3), std::nullopt},
    });
}

TEST(ImageTextCopyPolicy, OffsetsAroundEmojiAreCodeUnits) {
    // U+20000 is an ideograph outside the basic plane: two code units, one word.
    const QString text = u"\U0001F600 hi\n\U00020000 ok \U0001F44D\U0001F3FD"_s;
    ASSERT_EQ(text.size(), 16);
    expectAll({
        {text, Intent::line(0), expectSelection(text, 0, 5)},
        {text, Intent::line(1), expectSelection(text, 0, 5)}, // second unit of the emoji
        {text, Intent::line(7), expectSelection(text, 6, 10)},
        {text, Intent::line(15), expectSelection(text, 6, 10)}, // second unit of the skin tone
        {text, Intent::word(1), std::nullopt},                  // an emoji is not a word
        {text, Intent::word(13), std::nullopt},
        {text, Intent::word(3), expectSelection(text, 3, 2)},
        {text, Intent::word(6), expectSelection(text, 6, 2)},
        {text, Intent::word(7), expectSelection(text, 6, 2)}, // second unit of the ideograph
        {text, Intent::word(10), expectSelection(text, 9, 2)},
    });
}
