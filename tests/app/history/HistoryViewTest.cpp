#include "app/ui/history/HistoryView.h"

#include "app/ui/history/ClipRow.h"
#include "app/ui/history/ColorSwatch.h"
#include "app/ui/history/KeyHintFooter.h"
#include "app/ui/history/RecognizedTextView.h"
#include "app/ui/style/StowlineStyle.h"
#include "tests/app/history/PanelFixture.h"
#include "tests/support/ClipBuilders.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

ClipItem kindClip(const QString& text, ClipKind kind) {
    ClipCore core = textClip(text).core();
    core.kind = kind;
    return ClipItem(std::move(core));
}

ClipItem recognizedImage(const QString& text) {
    ClipItem image = imageClip(QByteArray("not a picture"));
    image.setRecognizedText(text);
    image.setTextRecognitionVersion(1);
    return image;
}

using HistoryViewTest = PanelFixture;

TEST_F(HistoryViewTest, KeyboardTableUsesEditsDismissesMovesAndActsOnTheSelectedClip) {
    for (int i = 0; i < 30; ++i)
        add(textClip(u"clip %1"_s.arg(i)));
    settle();
    view();

    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::ShiftModifier);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    key(Qt::Key_Return, Qt::AltModifier);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(used, (QList<QPair<QString, bool>>{{u"clip 29"_s, false}, {u"clip 29"_s, true}, {u"clip 29"_s, false}}));
    EXPECT_EQ(edited, QStringList({u"clip 29"_s}));

    // Moving: a row, a page, the ends; Home and End move the search field's cursor while it holds text.
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString selected;
    } moves[] = {{Qt::Key_Down, Qt::NoModifier, u"clip 28"_s},    {Qt::Key_Up, Qt::NoModifier, u"clip 29"_s},
                 {Qt::Key_End, Qt::NoModifier, u"clip 0"_s},      {Qt::Key_Home, Qt::NoModifier, u"clip 29"_s},
                 {Qt::Key_PageDown, Qt::NoModifier, u""_s},       {Qt::Key_PageUp, Qt::NoModifier, u"clip 29"_s},
                 {Qt::Key_End, Qt::ControlModifier, u"clip 0"_s}, {Qt::Key_Home, Qt::ControlModifier, u"clip 29"_s}};
    for (const auto& move : moves) {
        SCOPED_TRACE(QKeySequence(move.key | move.modifiers).toString().toStdString());
        key(move.key, move.modifiers);
        if (move.selected.isEmpty()) {
            // A page is more than a row and less than the whole list.
            EXPECT_LT(selectedTitle(), u"clip 28"_s);
            EXPECT_GT(selectedTitle(), u"clip 0"_s);
        } else {
            EXPECT_EQ(selectedTitle(), move.selected);
        }
    }
    QTest::keyClicks(child<QLineEdit>(u"searchField"_s), u"clip"_s);
    key(Qt::Key_Home);
    EXPECT_EQ(child<QLineEdit>(u"searchField"_s)->cursorPosition(), 0);
    child<QLineEdit>(u"searchField"_s)->clear();
    settle();

    // Ctrl+D makes the selected clip a favourite, Ctrl+Delete deletes it.
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(store.items().first().isFavorite());
    EXPECT_EQ(store.items().first().title(), u"clip 29"_s);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(store.items().size(), 29);
    EXPECT_FALSE(store.items().first().title() == u"clip 29"_s);

    key(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(dismissed, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);

    // Typing and anything with Ctrl or Super goes to the search field.
    QTest::keyClicks(child<QLineEdit>(u"searchField"_s), u"ol"_s);
    EXPECT_EQ(model.query(), u"ol"_s);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    EXPECT_TRUE(model.query().isEmpty());

    // A Return with nothing selected is taken and does nothing.
    model.setQuery(u"nothing-like-this"_s);
    settle();
    key(Qt::Key_Return);
    EXPECT_EQ(used.size(), 3);
}

TEST_F(HistoryViewTest, ContentStatesAndTheirTexts) {
    const auto shows = [&](const QString& title, const QString& message) {
        EXPECT_TRUE(child<QWidget>(u"emptyState"_s)->isVisible());
        EXPECT_EQ(child<QLabel>(u"emptyTitle"_s)->text(), title);
        EXPECT_EQ(child<QLabel>(u"emptyMessage"_s)->text(), message);
    };
    model.setFilter(HistoryFilter::images);
    settle();
    shows(u"Copy something to begin"_s,
          u"Text, links, images, files, and credentials will appear here\u2014encrypted on this computer."_s);

    add(textClip(u"hello"_s));
    model.setFilter(HistoryFilter::all);
    model.setQuery(u"zzz"_s);
    settle();
    shows(u"No matching clips"_s, u"Try a different word or content filter."_s);
    EXPECT_FALSE(child<QPushButton>(u"emptyAction"_s)->isVisible());

    model.setQuery(QString());
    settle();
    EXPECT_EQ(view().currentContentState(), HistoryView::ContentState::list);
    EXPECT_TRUE(list().isVisible());
    EXPECT_EQ(child<QLabel>(u"captureStatus"_s)->text(), u"Capturing"_s);

    preferences.setCaptureEnabled(false);
    shows(u"Clipboard capture is paused"_s, u"Resume from the tray when you’re ready."_s);
    EXPECT_EQ(child<QLabel>(u"captureStatus"_s)->text(), u"Paused"_s);
    // No key acts on the clips the paused panel hides.
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::AltModifier);
    key(Qt::Key_Delete, Qt::ControlModifier);
    key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_TRUE(used.isEmpty());
    EXPECT_TRUE(edited.isEmpty());
    EXPECT_EQ(store.items().size(), 1);
    // Nor does the footer offer them.
    EXPECT_FALSE(child<QWidget>(u"keyHints"_s)->accessibleDescription().contains(u"Return"_s));

    notices.post(Notice::saveFailed);
    EXPECT_TRUE(child<QWidget>(u"errorBanner"_s)->isVisible());
    EXPECT_EQ(child<QLabel>(u"errorMessage"_s)->text(), Notices::message(Notice::saveFailed).text);
    QTest::mouseClick(child<QPushButton>(u"dismissError"_s), Qt::LeftButton);
    EXPECT_FALSE(notices.current());
    EXPECT_FALSE(child<QWidget>(u"errorBanner"_s)->isVisible());

    auto* resume = child<QPushButton>(u"emptyAction"_s);
    ASSERT_TRUE(resume->isVisible());
    EXPECT_EQ(resume->text(), u"Resume Capture"_s);
    QTest::mouseClick(resume, Qt::LeftButton);
    EXPECT_TRUE(preferences.captureEnabled());
    EXPECT_EQ(view().currentContentState(), HistoryView::ContentState::list);
    key(Qt::Key_Return);
    EXPECT_EQ(used.size(), 1);
}

TEST_F(HistoryViewTest, FooterFollowsTheSelectionAndThePreferences) {
    preferences.setShortcut(HotKeyConfiguration::defaultShortcut());
    add(imageClip(QByteArray("png")));
    add(kindClip(u"https://example.com"_s, ClipKind::link));
    settle();
    const auto hints = [&] { return child<KeyHintFooter>(u"keyHints"_s)->texts(); };
    // The keys for favourites and deleting give way to the others when the panel is narrow.
    const auto resize = [&](int width) {
        view().resize(width, 560);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ASSERT_EQ(child<KeyHintFooter>(u"keyHints"_s)->width(), width);
    };
    resize(1000);
    EXPECT_EQ(hints(),
              QStringList({u"↑↓ Navigate"_s, u"Return Copy"_s, u"Shift+Return Plain text"_s, u"Alt+Return Edit"_s,
                           u"Ctrl+D Favorite"_s, u"Ctrl+Del Delete"_s, u"Alt+Shift+W Open"_s, u"2 clips"_s}));
    resize(720);
    EXPECT_EQ(hints(), QStringList({u"↑↓ Navigate"_s, u"Return Copy"_s, u"Shift+Return Plain text"_s,
                                    u"Alt+Return Edit"_s, u"Alt+Shift+W Open"_s, u"2 clips"_s}));
    key(Qt::Key_Down);
    preferences.setInstantPaste(true);
    EXPECT_EQ(hints(), QStringList({u"↑↓ Navigate"_s, u"Return Paste"_s, u"Ctrl+D Favorite"_s, u"Ctrl+Del Delete"_s,
                                    u"Alt+Shift+W Open"_s, u"2 clips"_s}));

    model.setFilter(HistoryFilter::images);
    settle();
    EXPECT_EQ(hints().last(), u"1 clip"_s);
    model.setFilter(HistoryFilter::files);
    settle();
    EXPECT_EQ(hints(), QStringList({u"↑↓ Navigate"_s, u"Return Paste"_s, u"Alt+Shift+W Open"_s, u"0 clips"_s}));
}

TEST(ColorSwatch, ThreeSixAndEightDigitsOnly) {
    EXPECT_EQ(ColorSwatch::color(u"#FFF"), QColor::fromRgbF(1, 1, 1));
    EXPECT_EQ(ColorSwatch::color(u"#ffffff"), ColorSwatch::color(u"#FFF"));
    const std::optional<QColor> red = ColorSwatch::color(u"#80FF0000");
    ASSERT_TRUE(red);
    EXPECT_EQ(red->rgba(), qRgba(0x80, 0xFF, 0x00, 0x00));
    EXPECT_EQ(ColorSwatch::color(u"##0a0b0c#"), QColor(0x0a, 0x0b, 0x0c));
    for (const QString& text : {u"FFFF"_s, u"#12345"_s, u"#GGG"_s, u"+FF"_s, u""_s})
        EXPECT_FALSE(ColorSwatch::color(text)) << text.toStdString();
}

TEST_F(HistoryViewTest, ControlsAndRowsSpeakToAssistiveTechnologyAndTheFiltersToTheKeyboard) {
    ClipItem image = recognizedImage(u"Invoice total 42\nPaid in full"_s);
    image.setImagePixelWidth(640);
    image.setImagePixelHeight(480);
    add(image);
    add(textClip(u"hello world"_s));
    settle();
    auto* search = child<QLineEdit>(u"searchField"_s);
    EXPECT_EQ(search->accessibleName(), u"Search clipboard history"_s);
    EXPECT_EQ(search->placeholderText(), u"Search your clipboard"_s);
    EXPECT_EQ(child<QToolButton>(u"settings"_s)->accessibleName(), u"Open settings"_s);
    EXPECT_EQ(child<QToolButton>(u"settings"_s)->toolTip(), u"Settings"_s);
    auto* links = child<QAbstractButton>(u"filter-links"_s);
    auto* all = child<QAbstractButton>(u"filter-all"_s);
    EXPECT_EQ(links->accessibleName(), u"Show links clips"_s);
    EXPECT_EQ(all->accessibleDescription(), u"Selected"_s);
    QTest::mouseClick(links, Qt::LeftButton);
    EXPECT_EQ(model.filter(), HistoryFilter::links);
    EXPECT_TRUE(all->accessibleDescription().isEmpty());
    // The filters are reached with Tab and chosen with the arrow keys.
    EXPECT_TRUE(links->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(links, Qt::Key_Right);
    EXPECT_EQ(model.filter(), HistoryFilter::images);
    QTest::keyClick(child<QAbstractButton>(u"filter-images"_s), Qt::Key_Left);
    QTest::keyClick(links, Qt::Key_Left);
    EXPECT_EQ(model.filter(), HistoryFilter::text);
    QTest::keyClick(child<QAbstractButton>(u"filter-text"_s), Qt::Key_Space);
    QTest::keyClick(all, Qt::Key_Return);
    EXPECT_EQ(model.filter(), HistoryFilter::all);

    QTest::keyClicks(search, u"paid"_s);
    EXPECT_TRUE(child<QToolButton>(u"clearSearch"_s)->isVisibleTo(&view()));
    settle();
    ASSERT_EQ(list().model()->rowCount(), 1);
    EXPECT_EQ(list().model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
              u"Image, from Viewer, 640×480 px, Text in image: Paid in full"_s);
    QTest::mouseClick(child<QToolButton>(u"clearSearch"_s), Qt::LeftButton);
    settle();
    EXPECT_EQ(list().model()->index(0, 0).data(Qt::AccessibleTextRole).toString(), u"Text, hello world, from Editor"_s);
}

TEST_F(HistoryViewTest, EveryLineOfRecognizedTextCanBeScrolledToReadAndCopied) {
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
        lines.append(u"line %1 of the invoice"_s.arg(i));
    const QString text = lines.join(u'\n');
    add(recognizedImage(text));
    settle();
    auto* pane = list().viewport()->findChild<RecognizedTextView*>(u"recognizedText"_s);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->accessibleName(), u"Recognized text"_s);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(pane);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), text);
    EXPECT_EQ(accessible->text(QAccessible::Name), u"Recognized text"_s);

    // Four lines show; the rest scroll into view and copy like the first.
    QScrollBar* bar = pane->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    const auto pointOf = [&](qsizetype offset) { return pane->rangeRects(offset, 1).first().center().toPoint(); };
    const qsizetype last = text.indexOf(u"line 12");
    ASSERT_TRUE(pane->viewport()->rect().contains(pointOf(last)));
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(last + 1));
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOf(text.indexOf(u"invoice", last)));
    EXPECT_FALSE(pane->extraSelections().isEmpty());
    // Beyond the end of the last line, and on the space between two words.
    const QRectF lastGlyph = pane->rangeRects(text.size() - 1, 1).first();
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(int(lastGlyph.right() + 20), int(lastGlyph.center().y())));
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(last + 4));
    EXPECT_EQ(copied, QStringList({u"line 12 of the invoice"_s, u"invoice"_s, text, text}));

    // The same text again keeps the place; the list's own keys are unaffected.
    const int place = bar->value();
    store.toggleFavorite(store.items().first().id());
    settle();
    pane = list().viewport()->findChild<RecognizedTextView*>(u"recognizedText"_s);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->verticalScrollBar()->value(), place);
    // Scrolled out of the list and back, the pane opens where it was left.
    for (int i = 0; i < 30; ++i)
        add(textClip(u"newer %1"_s.arg(i)));
    settle();
    list().scrollToBottom();
    settle();
    ASSERT_EQ(list().viewport()->findChild<RecognizedTextView*>(u"recognizedText"_s), nullptr);
    list().scrollToTop();
    settle();
    pane = list().viewport()->findChild<RecognizedTextView*>(u"recognizedText"_s);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->verticalScrollBar()->value(), place);
}

TEST_F(HistoryViewTest, TheListKeepsItsPlaceWhenClipsChangeAndScrollsOnlyToANewSelection) {
    for (int i = 0; i < 40; ++i)
        add(textClip(u"clip %1"_s.arg(i, 2, 10, QChar(u'0'))));
    settle();
    QScrollBar* bar = list().verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const QString top = topTitle();
    ASSERT_NE(top, titleAt(0));

    // A new copy, a favourite and a deletion elsewhere in the list leave the same clip at the top.
    add(textClip(u"newest"_s));
    settle();
    EXPECT_EQ(topTitle(), top);
    store.toggleFavorite(store.items().at(5).id());
    settle();
    EXPECT_EQ(topTitle(), top);
    store.deleteItem(store.items().at(3).id());
    settle();
    EXPECT_EQ(topTitle(), top);
    EXPECT_EQ(selectedTitle(), u"clip 39"_s);

    // A new selection scrolls to it.
    QSignalSpy scrolled(child<QPropertyAnimation>(u"scrollAnimation"_s), &QAbstractAnimation::finished);
    key(Qt::Key_Home, Qt::ControlModifier);
    ASSERT_TRUE(scrolled.wait());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(HistoryViewTest, AClickHitsAButtonOnlyWhereTheRowDrawsIt) {
    for (const QString& title : {u"third"_s, u"second"_s, u"first"_s})
        add(textClip(title));
    settle();
    ClipRow* rows = qobject_cast<ClipRow*>(list().itemDelegate());
    ASSERT_NE(rows, nullptr);
    const auto trashOf = [&](int row) {
        const QModelIndex index = list().model()->index(row, 0);
        return rows->parts(list().visualRect(index), *ClipRow::clipOf(index)).remove.center().toPoint();
    };
    // The pointer over the second row shows its buttons; its trash deletes it.
    const QPoint trash = trashOf(1);
    QTest::mouseMove(list().viewport(), trash);
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, trash);
    EXPECT_EQ(store.items().size(), 2);
    settle();
    // The third row moved under the pointer, which has not moved since: it shows no trash, and a click there
    // selects it instead of deleting it.
    ASSERT_EQ(trashOf(1), trash);
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, trash);
    EXPECT_EQ(store.items().size(), 2);
    EXPECT_EQ(selectedTitle(), u"third"_s);
    // Selected, it shows its buttons.
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, trash);
    EXPECT_EQ(store.items().size(), 1);
}

TEST_F(HistoryViewTest, RowHeightsComeFromTheLaidOutText) {
    preferences.setPreviewLineCount(0);
    add(textClip(u"x"_s));
    settle();
    ClipRow* rows = qobject_cast<ClipRow*>(list().itemDelegate());
    const QModelIndex first = list().model()->index(0, 0);
    const qreal width = rows->parts(list().visualRect(first), *ClipRow::clipOf(first)).preview.width();
    // As many narrow letters as one line holds, and as many capitals, ideographs and emoji, which do not fit.
    const QFontMetricsF metrics(StowlineStyle::font(preferences.previewFontSize(), QFont::Medium));
    // A little short of the width: a scroll bar may take some of it once the list is longer.
    const int count = int(0.85 * width / metrics.horizontalAdvance(u'i'));
    const QString narrow(count, u'i');
    const QString wide(count, u'W');
    const QString cjk(count, QChar(0x6F22));
    const QString emoji = QStringLiteral("\U0001F600").repeated(count);
    ASSERT_LT(metrics.horizontalAdvance(narrow), width);
    for (const QString& text : {narrow, wide, cjk, emoji})
        add(textClip(text));
    settle();
    // Newest first: emoji, ideographs, capitals, narrow letters, the single letter.
    const auto heightOf = [&](int row) { return list().visualRect(list().model()->index(row, 0)).height(); };
    EXPECT_EQ(heightOf(3), heightOf(4));
    for (int row : {0, 1, 2})
        EXPECT_GT(heightOf(row), heightOf(3)) << row;
}

} // namespace
