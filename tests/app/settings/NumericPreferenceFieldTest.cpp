#include "app/ui/settings/NumericPreferenceField.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// A field bound to a plain variable, in a window of its own so focus can come and go.
template <typename Field, typename T>
struct Bound {
    T value;
    QWidget window;
    Field* field = nullptr;
    QLineEdit* other = new QLineEdit(&window);

    void show() {
        other->move(0, 40);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Replaces the whole text at once, as a paste does.
    void type(const QString& text) {
        field->box()->setFocus();
        field->box()->setText(text);
    }
    QString text() const { return field->box()->text(); }
};

struct IntegerField : Bound<ExactPositiveIntegerField, qint64> {
    explicit IntegerField(qint64 initial) {
        value = initial;
        field = new ExactPositiveIntegerField([this] { return value; }, [this](qint64 n) { value = n; }, u"items"_s,
                                              u"Maximum clipboard items"_s, &window);
        show();
    }
};

struct FontField : Bound<ExactFontSizeField, double> {
    explicit FontField(double initial) {
        value = initial;
        field = new ExactFontSizeField([this] { return value; }, [this](double points) { value = points; }, &window);
        show();
    }
};

} // namespace

// Which texts are numbers is the policy's own table; here, what the field does with each answer.
TEST(NumericPreferenceField, WholeNumbersAreTakenWhileTypedAndInvalidTextNeverReachesThePreference) {
    struct Case {
        QString typed;
        qint64 valueWhileTyped;
        bool outlined;
        QString textAfterCommit;
    };
    const Case cases[] = {
        {u" 42 "_s, 42, false, u"42"_s},
        {u"+5"_s, 7, true, u"7"_s},
        {QString(), 7, false, u"7"_s}, // cleared: no outline
        {u"9223372036854775807"_s, 9223372036854775807, false, u"9223372036854775807"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        IntegerField f(7);
        f.type(c.typed);
        EXPECT_EQ(f.value, c.valueWhileTyped);
        EXPECT_EQ(f.field->isInvalid(), c.outlined);
        EXPECT_EQ(f.field->box()->toolTip(),
                  c.outlined ? u"Enter a positive whole number."_s : u"Enter any positive whole number."_s);
        f.other->setFocus(); // focus loss commits
        EXPECT_EQ(f.text(), c.textAfterCommit);
        EXPECT_FALSE(f.field->isInvalid()); // the restored text is valid again
    }
}

TEST(NumericPreferenceField, EachTypedDigitUpdatesTheLimitAndReturnCommits) {
    IntegerField f(7);
    f.field->box()->setFocus();
    f.field->box()->clear();
    QList<qint64> seen;
    for (const QChar digit : u"300"_s) {
        QTest::keyClick(f.field->box(), digit.toLatin1());
        seen.append(f.value);
    }
    EXPECT_EQ(seen, QList<qint64>({3, 30, 300}));
    QTest::keyClicks(f.field->box(), u"x"_s);
    EXPECT_TRUE(f.field->isInvalid());
    QTest::keyClick(f.field->box(), Qt::Key_Return);
    EXPECT_EQ(f.text(), u"300"_s);
    EXPECT_FALSE(f.field->box()->hasFocus());

    f.value = 12; // changed elsewhere: the text follows
    f.field->valueChanged();
    EXPECT_EQ(f.text(), u"12"_s);
}

TEST(NumericPreferenceField, FontSizesFollowTheirOwnRulesAndFormat) {
    struct Case {
        QString typed;
        double value;
        bool outlined;
        QString textAfterCommit;
    };
    const Case cases[] = {
        {u"12,5"_s, 12.5, false, u"12.5"_s},
        {u"12.0"_s, 12.0, false, u"12"_s},
        {u"72.01"_s, 14, true, u"14"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        FontField f(14);
        EXPECT_EQ(f.text(), u"14"_s);
        f.type(c.typed);
        EXPECT_EQ(f.value, c.value);
        EXPECT_EQ(f.field->box()->toolTip(), c.outlined ? u"Enter a font size from 6 to 72 points."_s
                                                        : u"Enter an exact font size from 6 to 72 points."_s);
        QTest::keyClick(f.field->box(), Qt::Key_Return);
        EXPECT_EQ(f.text(), c.textAfterCommit);
    }
}
