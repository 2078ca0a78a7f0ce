#include "app/ui/editor/EditBeforeUseWindow.h"

#include "app/platform/fake/FakeFloatingWindows.h"
#include "app/ui/editor/EditBeforeUseTextView.h"
#include "app/ui/editor/EditBeforeUseViewController.h"
#include "app/ui/editor/EditorFindBar.h"
#include "app/ui/style/StowlineStyle.h"
#include "tests/app/Screenshots.h"

#include <QApplication>
#include <QKeyEvent>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <optional>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

class EditBeforeUseTest : public ::testing::Test {
protected:
    EditBeforeUseTest() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EditBeforeUseTest() override {
        QLocale::setDefault(QLocale::system());
        StowlineStyle::apply(Appearance::light);
    }

    void open(const QString& text, TextContentFormat format = TextContentFormat::plain,
              const QString& title = u"A clip"_s) {
        editor.show(
            text, title, format, [this](const QString& edited) { committed.push_back(edited); }, [this] { ++cancels; });
        // The caret is placed once the window is up.
        QCoreApplication::processEvents();
    }
    EditBeforeUseViewController* controller() const { return editor.controller(); }
    EditBeforeUseTextView* textView() const { return editor.controller()->textView(); }

    FakeFloatingWindows floatingWindows;
    EditBeforeUseWindowManager editor{floatingWindows};
    std::vector<QString> committed;
    int cancels = 0;
};

TEST_F(EditBeforeUseTest, KeysCommitCancelAndFindOnlyWithTheirExactModifiers) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::optional<QString> commits; // the text committed, nothing when the key does not commit
        bool cancels;
        bool findOpens;
    };
    const Case cases[] = {
        {"Ctrl+Return commits", Qt::Key_Return, Qt::ControlModifier, u"draft"_s, false, false},
        {"Ctrl+keypad Enter commits", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, u"draft"_s, false,
         false},
        {"Return is a newline", Qt::Key_Return, Qt::NoModifier, std::nullopt, false, false},
        {"Ctrl+Shift+Return is no commit", Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier, std::nullopt, false,
         false},
        {"Escape cancels", Qt::Key_Escape, Qt::NoModifier, std::nullopt, true, false},
        {"Shift+Escape goes to the text", Qt::Key_Escape, Qt::ShiftModifier, std::nullopt, false, false},
        {"Ctrl+Escape goes to the text", Qt::Key_Escape, Qt::ControlModifier, std::nullopt, false, false},
        {"Ctrl+F finds", Qt::Key_F, Qt::ControlModifier, std::nullopt, false, true},
        {"Ctrl+Shift+F does not find", Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier, std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        committed.clear();
        cancels = 0;
        open(u"draft"_s);
        QTest::keyClick(textView(), c.key, c.modifiers);

        EXPECT_EQ(cancels, c.cancels ? 1 : 0);
        if (c.commits) {
            EXPECT_EQ(committed, std::vector<QString>{*c.commits});
        } else {
            EXPECT_TRUE(committed.empty());
        }
        EXPECT_EQ(editor.isVisible(), !c.commits && !c.cancels);
        if (editor.isVisible()) {
            EXPECT_EQ(controller()->findBar()->isVisible(), c.findOpens);
        }
    }

    open(u"draft"_s);
    QTest::keyClick(textView(), Qt::Key_Return);
    QTest::keyClicks(textView(), u"more"_s);
    QTest::keyClick(textView(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(committed.back(), u"\nmoredraft"_s);
}

TEST_F(EditBeforeUseTest, FindBarFindsAsTheUserTypesAndEscapeClosesOnlyTheBar) {
    open(u"alpha beta\ngamma Beta"_s);
    QTest::keyClick(textView(), Qt::Key_F, Qt::ControlModifier);
    EditorFindBar* bar = controller()->findBar();
    QTest::keyClicks(bar->field(), u"bet"_s);
    EXPECT_EQ(textView()->textCursor().selectionStart(), 6);
    QTest::keyClick(bar->field(), Qt::Key_Return);
    EXPECT_EQ(textView()->textCursor().selectionStart(), 17); // the next one, whatever its case

    QTest::keyClick(bar->field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(cancels, 0);
}

TEST_F(EditBeforeUseTest, CountsUserPerceivedCharactersWithLocaleGrouping) {
    EXPECT_EQ(EditBeforeUseViewController::countText(0), u"0 characters"_s);
    EXPECT_EQ(EditBeforeUseViewController::countText(1), u"1 character"_s);
    EXPECT_EQ(EditBeforeUseViewController::countText(2048), u"2,048 characters"_s);

    open(u"👍🏽"_s);
    EXPECT_EQ(controller()->countText(), u"1 character"_s);
    QTest::keyClick(textView(), Qt::Key_End);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"e\u0301"_s);
    QApplication::sendEvent(textView(), &accented);
    EXPECT_EQ(controller()->countText(), u"2 characters"_s);
}

TEST_F(EditBeforeUseTest, ColouringKeepsTheSelectionAndNeverEntersTheUndoHistory) {
    const QString original = u"{\"size\": 1}"_s;
    open(original, TextContentFormat::json);
    QTest::keyClick(textView(), Qt::Key_End);
    QTest::keyClicks(textView(), u" 42"_s);
    ASSERT_TRUE(controller()->isHighlightPending());

    QTextCursor selection = textView()->textCursor();
    selection.setPosition(1);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    textView()->setTextCursor(selection);
    controller()->applyHighlight();

    EXPECT_EQ(textView()->textCursor().selectionStart(), 1);
    EXPECT_EQ(textView()->textCursor().selectionEnd(), 7);
    const QColor number = StowlineStyle::color(HighlightRole::number);
    bool typedNumberColoured = false;
    for (const QTextLayout::FormatRange& range : textView()->document()->firstBlock().layout()->formats())
        typedNumberColoured = typedNumberColoured ||
                              (range.start == 12 && range.length == 2 && range.format.foreground().color() == number);
    EXPECT_TRUE(typedNumberColoured);

    textView()->undo();
    EXPECT_EQ(textView()->text(), original);
    EXPECT_FALSE(textView()->document()->isUndoAvailable());
}

TEST_F(EditBeforeUseTest, ReusesTheWindowAtItsLastSizeAndPutsTheCaretAtTheStart) {
    open(u"first"_s);
    QWidget* window = editor.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(760, 560));
    EXPECT_EQ(window->minimumSize(), QSize(620, 420));
    EXPECT_EQ(floatingWindows.stickyRequests(), 1);
    EXPECT_EQ(floatingWindows.lastWindow(), window->windowHandle());
    window->resize(700, 480);
    window->move(40, 30);
    QTest::keyClick(textView(), Qt::Key_End);
    QTest::keyClick(textView(), Qt::Key_Escape);
    ASSERT_FALSE(editor.isVisible());

    open(u"second text"_s, TextContentFormat::markdown);
    EXPECT_EQ(editor.window(), window);
    EXPECT_EQ(window->size(), QSize(700, 480));
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    EXPECT_EQ(textView()->textCursor().position(), 0);
    EXPECT_FALSE(textView()->textCursor().hasSelection());
    EXPECT_EQ(textView()->text(), u"second text"_s);
    EXPECT_EQ(textView()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // A second show while open replaces the edit without cancelling it.
    open(u"[1, 2]"_s, TextContentFormat::json);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(textView()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(EditBeforeUseTest, ClosingTheWindowCancels) {
    open(u"text"_s);
    editor.window()->close();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(committed.empty());
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.controller(), nullptr);
}

TEST_F(EditBeforeUseTest, CommitGivesBackEveryCharacterAndEveryLineEndingTheEditDidNotReach) {
    const QString text = u"one\r\ntwo\u00a0three\u2028four\tfive"_s;
    open(text);
    QTest::keyClick(textView(), Qt::Key_Return, Qt::ControlModifier);
    open(u"a\r\nb\nc"_s);
    QTest::keyClick(textView(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(textView(), u"d"_s);
    QTest::keyClick(textView(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(committed, (std::vector<QString>{text, u"a\r\nb\ncd"_s}));
}

TEST_F(EditBeforeUseTest, SurfaceRepaintsInTheAppearanceSwitchedTo) {
    const QString json = u"{\n  \"name\": \"Stowline\",\n  \"version\": 2.5,\n  \"tags\": [\"clipboard\", "
                         u"\"history\"],\n  \"encrypted\": true,\n  \"limit\": null,\n  \"note\": \"A line long "
                         u"enough to run past the right edge of the editor, which scrolls sideways for code\"\n}"_s;
    const QString markdown =
        u"# Release notes\n\nThe editor keeps **your archived clip** unchanged.\n\n- Find with Ctrl+F\n- "
        u"Copy with Ctrl+Return\n1. Plain text and Markdown wrap at the width of the window, so long "
        u"paragraphs like this one stay readable without scrolling sideways.\n\n> Quoted text <!-- a comment "
        u"-->\n"_s;
    test::inEachAppearance([&](Appearance appearance, const QString&) {
        open(markdown, TextContentFormat::markdown,
             u"Release notes: editing, finding and copying text while the archived clip stays exactly as it was "
             u"when it was copied, in light and in dark"_s);
        open(json, TextContentFormat::json, u"{ \"name\": \"Stowline\", \"version\": 2.5, \"tags\": [...] }"_s);
        controller()->findBar()->open();
        controller()->findBar()->field()->setText(u"clip"_s);
        const QImage shot = editor.window()->grab().toImage();
        EXPECT_EQ(shot.pixel(2, shot.height() / 2), StowlineStyle::color(StyleRole::surface, appearance).rgb());
    });

    // Switching back while open repaints the open editor.
    const QImage shot = editor.window()->grab().toImage();
    EXPECT_EQ(shot.pixel(2, shot.height() / 2), StowlineStyle::color(StyleRole::surface, Appearance::light).rgb());
}

} // namespace
