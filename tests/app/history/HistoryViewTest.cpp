#include "app/history/HistoryView.h"

#include "app/history/ColorSwatch.h"
#include "app/history/HistoryListModel.h"
#include "app/history/HistoryViewModel.h"
#include "app/history/HistoryViewParts.h"
#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/widgets/KeyCap.h"
#include "tests/app/ManualTimer.h"
#include "tests/support/ClipBuilders.h"

#include <QCoreApplication>
#include <QDir>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

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

// A panel's view over a memory-only history, with the callbacks recorded.
class HistoryViewTest : public ::testing::Test {
protected:
    HistoryViewTest() {
        callbacks.onUse = [this](const ClipItem& item, RestoreForm form) {
            used.append({item.title(), form == RestoreForm::plainTextOnly});
        };
        callbacks.onEdit = [this](const ClipItem& item) { edited.append(item.title()); };
        callbacks.onCopyRecognizedText = [this](const QString& text) { copied.append(text); };
        callbacks.onDismiss = [this] { ++dismissed; };
        callbacks.onSettings = [this] { ++settings; };
    }

    QUuid add(const ClipItem& item) {
        ClipItem dated = item;
        dated.setLastUsedAt(Timestamp{double(2000 + store.items().size())});
        return store.capture(dated, 0);
    }
    void settle() {
        timers.fire(HistoryViewModel::debounceMilliseconds);
        model.waitForSearchQueue();
        QCoreApplication::processEvents();
    }
    HistoryView& view() {
        if (!m_view) {
            m_view = std::make_unique<HistoryView>(store, notices, preferences, model, callbacks);
            m_view->resize(720, 560);
            m_view->show();
        }
        return *m_view;
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view().header()->searchField(), Qt::Key(key), modifiers);
    }
    QString contentTitle() {
        return view().currentContentState() == HistoryView::ContentState::list ? QString()
                                                                               : view().emptyState()->title();
    }

    QTemporaryDir dir;
    AppPreferences preferences{std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s))};
    HistoryStore store;
    Notices notices;
    ManualTimers timers;
    HistoryViewModel model{store, timers.factory()};
    HistoryViewCallbacks callbacks;
    QList<QPair<QString, bool>> used;
    QStringList edited;
    QStringList copied;
    int dismissed = 0;
    int settings = 0;

private:
    std::unique_ptr<HistoryView> m_view;
};

TEST_F(HistoryViewTest, KeyboardTableUsesEditsDismissesAndMoves) {
    add(textClip(u"older"_s));
    add(textClip(u"newest"_s));
    settle();
    view();

    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::ShiftModifier);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    key(Qt::Key_Return, Qt::AltModifier);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(used, (QList<QPair<QString, bool>>{{u"newest"_s, false}, {u"newest"_s, true}, {u"newest"_s, false}}));
    EXPECT_EQ(edited, QStringList({u"newest"_s}));

    key(Qt::Key_Down);
    EXPECT_EQ(model.selectedItem()->title(), u"older"_s);
    key(Qt::Key_Up);
    EXPECT_EQ(model.selectedItem()->title(), u"newest"_s);
    key(Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_EQ(dismissed, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);

    // Typing and anything with Ctrl or Super goes to the search field.
    QTest::keyClicks(view().header()->searchField(), u"ol"_s);
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
    model.setFilter(HistoryFilter::images);
    settle();
    EXPECT_EQ(contentTitle(), u"Copy something to begin"_s);
    EXPECT_EQ(view().emptyState()->message(),
              u"Text, links, images, files, and credentials will appear here\u2014encrypted on this computer."_s);

    add(textClip(u"hello"_s));
    model.setFilter(HistoryFilter::all);
    model.setQuery(u"zzz"_s);
    settle();
    EXPECT_EQ(contentTitle(), u"No matching clips"_s);
    EXPECT_EQ(view().emptyState()->message(), u"Try a different word or content filter."_s);

    model.setQuery(QString());
    settle();
    EXPECT_EQ(view().currentContentState(), HistoryView::ContentState::list);
    EXPECT_EQ(view().filterBar()->statusLabel()->text(), u"Capturing"_s);

    preferences.setCaptureEnabled(false);
    EXPECT_EQ(contentTitle(), u"Clipboard capture is paused"_s);
    EXPECT_EQ(view().emptyState()->message(), u"Resume from the menu bar when you’re ready."_s);
    EXPECT_EQ(view().filterBar()->statusLabel()->text(), u"Paused"_s);

    notices.post(Notice::saveFailed);
    EXPECT_TRUE(view().errorBanner()->isVisible());
    QTest::mouseClick(view().errorBanner()->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(notices.current());
    EXPECT_FALSE(view().errorBanner()->isVisible());
}

TEST_F(HistoryViewTest, FooterFollowsTheSelectionAndThePreferences) {
    preferences.setShortcut(HotKeyConfiguration::defaultShortcut());
    add(imageClip(QByteArray("png")));
    add(kindClip(u"https://example.com"_s, ClipKind::link));
    settle();
    EXPECT_EQ(view().footer()->texts(), QStringList({u"↑↓ Navigate"_s, u"Return Copy"_s, u"Shift+Return Plain text"_s,
                                                     u"Alt+Return Edit"_s, u"Alt+Shift+W Open"_s, u"2 clips"_s}));
    key(Qt::Key_Down);
    preferences.setInstantPaste(true);
    EXPECT_EQ(view().footer()->texts(),
              QStringList({u"↑↓ Navigate"_s, u"Return Paste"_s, u"Alt+Shift+W Open"_s, u"2 clips"_s}));

    model.setFilter(HistoryFilter::images);
    model.waitForSearchQueue();
    QCoreApplication::processEvents();
    EXPECT_EQ(view().footer()->texts().last(), u"1 clip"_s);
    EXPECT_EQ(KeyHintFooter::countText(0), u"0 clips"_s);
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

TEST_F(HistoryViewTest, AccessibilityLabelsOfControlsAndRows) {
    ClipItem image = recognizedImage(u"Invoice total 42\nPaid in full"_s);
    image.setImagePixelWidth(640);
    image.setImagePixelHeight(480);
    add(image);
    add(textClip(u"hello world"_s));
    settle();
    EXPECT_EQ(view().header()->searchField()->accessibleName(), u"Search clipboard history"_s);
    EXPECT_EQ(view().header()->searchField()->placeholderText(), u"Search your clipboard"_s);
    EXPECT_EQ(view().header()->settingsButton()->accessibleName(), u"Open settings"_s);
    EXPECT_EQ(view().header()->settingsButton()->toolTip(), u"Settings"_s);
    EXPECT_EQ(view().filterBar()->button(HistoryFilter::links)->accessibleName(), u"Show links clips"_s);
    EXPECT_EQ(view().filterBar()->button(HistoryFilter::all)->accessibleDescription(), u"Selected"_s);
    QTest::mouseClick(view().filterBar()->button(HistoryFilter::links), Qt::LeftButton);
    EXPECT_EQ(model.filter(), HistoryFilter::links);
    EXPECT_TRUE(view().filterBar()->button(HistoryFilter::all)->accessibleDescription().isEmpty());
    model.setFilter(HistoryFilter::all);

    QTest::keyClicks(view().header()->searchField(), u"paid"_s);
    EXPECT_TRUE(view().header()->clearButton()->isVisibleTo(&view()));
    settle();
    ASSERT_EQ(view().listModel()->rowCount(), 1);
    EXPECT_EQ(view().listModel()->index(0).data(Qt::AccessibleTextRole).toString(),
              u"Image, from Viewer, 640×480 px, Text in image: Paid in full"_s);
    QTest::mouseClick(view().header()->clearButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(view().listModel()->index(0).data(Qt::AccessibleTextRole).toString(),
              u"Text, hello world, from Editor"_s);
}

TEST_F(HistoryViewTest, ClicksOnRecognizedTextCopyALineAWordOrAll) {
    const QString text = u"first line here\nsecond words"_s;
    add(recognizedImage(text));
    settle();
    QListView* list = view().list();
    QCoreApplication::processEvents();
    const QRect rowRect = list->visualRect(view().listModel()->index(0));
    const ClipItem& item = *view().listModel()->clipAt(0);
    const ClipRow::Geometry geometry = view().rows()->geometry(rowRect, item);
    const RowTextLayout layout = view().rows()->recognizedTextLayout(text, geometry);
    ASSERT_EQ(layout.lineCount(), 2);
    const auto pointOf = [&](qsizetype offset) {
        return (layout.rangeRects(offset, 1).first().center() + geometry.paneText.topLeft()).toPoint();
    };

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(text.indexOf(u"words")));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOf(text.indexOf(u"words") + 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(2));
    // Beyond the end of the short second line, and on the space between two words.
    const QRectF lastGlyph = layout.rangeRects(text.size() - 1, 1).first().translated(geometry.paneText.topLeft());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(int(lastGlyph.right() + 20), int(lastGlyph.center().y())));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(text.indexOf(u' ')));
    EXPECT_EQ(copied, QStringList({u"second words"_s, u"words"_s, u"first line here"_s, text, text}));
}

} // namespace
