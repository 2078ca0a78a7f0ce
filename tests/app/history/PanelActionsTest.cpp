#include "app/ui/history/ClipMenu.h"

#include "tests/app/history/PanelFixture.h"
#include "tests/support/ClipBuilders.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QListView>

using namespace stowline;
using namespace stowline::test;
using namespace Qt::StringLiterals;

namespace {

class PanelActionsTest : public PanelFixture {
protected:
    ClipMenu* openMenu() { return view().findChild<ClipMenu*>(u"clipMenu"_s); }
    QStringList entries(ClipMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts.append(action->text());
        }
        return texts;
    }
    void choose(ClipMenu* menu, const QString& text) {
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(text)) {
                action->trigger();
                menu->close();
                QCoreApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }
};

} // namespace

TEST_F(PanelActionsTest, TheMenuKeyAndARightClickOfferTheSelectedClipsActionsWithTheirKeys) {
    add(imageClip(QByteArray("png")));
    add(textClip(u"older"_s));
    add(textClip(u"newest"_s));
    settle();

    key(Qt::Key_Menu);
    ClipMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(menu),
              QStringList({u"Copy\tReturn"_s, u"Copy as Plain Text\tShift+Return"_s, u"Edit…\tAlt+Return"_s,
                           u"Add to Favorites\tCtrl+D"_s, u"Delete\tCtrl+Del"_s}));
    // Assistive technology reaches each entry as a menu item.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->childCount(), menu->actions().size());
    choose(menu, u"Add to Favorites"_s);
    EXPECT_TRUE(store.items().first().isFavorite());
    EXPECT_EQ(store.items().first().title(), u"newest"_s);

    // A right-click selects the row under the pointer first; an image has nothing to edit or flatten.
    const QRect imageRow = list().visualRect(list().model()->index(2, 0));
    ASSERT_TRUE(imageRow.isValid());
    QContextMenuEvent click(QContextMenuEvent::Mouse, imageRow.center(),
                            list().viewport()->mapToGlobal(imageRow.center()));
    QCoreApplication::sendEvent(list().viewport(), &click);
    menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(selectedTitle(), u"Image"_s);
    EXPECT_EQ(entries(menu), QStringList({u"Copy\tReturn"_s, u"Add to Favorites\tCtrl+D"_s, u"Delete\tCtrl+Del"_s}));
    choose(menu, u"Delete"_s);
    settle();
    EXPECT_EQ(store.items().size(), 2);
    EXPECT_EQ(openMenu(), nullptr) << "a closed menu is gone";
}

TEST_F(PanelActionsTest, CtrlAndANumberUseThatVisibleClipAndHoldingCtrlShowsTheNumbers) {
    for (int i = 10; i >= 1; --i)
        add(textClip(u"clip %1"_s.arg(i)));
    settle();
    const QImage before = list().viewport()->grab().toImage();
    QTest::keyPress(child<QLineEdit>(u"searchField"_s), Qt::Key_Control, Qt::ControlModifier);
    EXPECT_NE(list().viewport()->grab().toImage(), before) << "holding Ctrl shows the rows' numbers";

    key(Qt::Key_3, Qt::ControlModifier);
    // Shift+3 is "#" on this layout; the key's place in the digit row still says 3. Key code 17 is the 9.
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier, 12, 0, 0, u"#"_s);
    QCoreApplication::sendEvent(child<QLineEdit>(u"searchField"_s), &shifted);
    QKeyEvent ninth(QEvent::KeyPress, Qt::Key_Ccedilla, Qt::ControlModifier, 18, 0, 0);
    QCoreApplication::sendEvent(child<QLineEdit>(u"searchField"_s), &ninth);
    EXPECT_EQ(used, (QList<QPair<QString, bool>>{{u"clip 3"_s, false}, {u"clip 3"_s, true}, {u"clip 9"_s, false}}));

    // The numbers count the visible clips: a search renumbers them, and a number without a clip uses nothing.
    child<QLineEdit>(u"searchField"_s)->setText(u"clip 1"_s);
    settle();
    key(Qt::Key_2, Qt::ControlModifier);
    key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(used.size(), 4);
    EXPECT_EQ(used.last().first, u"clip 10"_s);

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    QCoreApplication::sendEvent(child<QLineEdit>(u"searchField"_s), &release);
    child<QLineEdit>(u"searchField"_s)->clear();
    settle();
    EXPECT_EQ(list().viewport()->grab().toImage(), before) << "released, the numbers go";
}

TEST_F(PanelActionsTest, PlainTextByDefaultSwapsReturnAndShiftReturnForTextOnly) {
    add(imageClip(QByteArray("png")));
    add(textClip(u"formatted"_s));
    preferences.setPastePlainTextByDefault(true);
    settle();
    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::ShiftModifier);
    key(Qt::Key_1, Qt::ControlModifier);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(used, (QList<QPair<QString, bool>>{
                        {u"formatted"_s, true}, {u"formatted"_s, false}, {u"formatted"_s, true}, {u"Image"_s, false}}));
    key(Qt::Key_Up);
    settle();
    const QString hints = child<QWidget>(u"keyHints"_s)->accessibleDescription();
    EXPECT_TRUE(hints.contains(u"Return Plain text"_s) && hints.contains(u"Shift+Return With formatting"_s))
        << hints.toStdString();
}
