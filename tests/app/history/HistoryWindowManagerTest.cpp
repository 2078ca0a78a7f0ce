#include "app/ui/history/HistoryWindowManager.h"

#include "app/platform/fake/FakeFloatingWindows.h"
#include "app/ui/editor/EditBeforeUseViewController.h"
#include "app/ui/editor/EditBeforeUseWindow.h"
#include "app/ui/history/HistoryView.h"
#include "app/ui/history/HistoryViewModel.h"
#include "app/ui/widgets/FloatingWindow.h"
#include "tests/app/ManualTimer.h"
#include "tests/support/AppFixture.h"
#include "tests/support/ClipBuilders.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

const RunningApplication& editor = editorApplication;

// The panel over fake desktop services, a memory-only history and timers the test fires.
class HistoryWindowManagerTest : public AppFixture {
protected:
    HistoryWindowManagerTest() { actions.refreshAccessibility(); }

    QUuid add(const ClipItem& item) { return store.capture(item, 0); }
    void settle() {
        timers.fire(HistoryViewModel::debounceMilliseconds);
        manager.viewModel().waitForSearchQueue();
        QCoreApplication::processEvents();
    }
    QString pasted() const {
        for (const ClipRepresentation& r : pasteboard.contents()) {
            if (r.typeIdentifier == TypeIdentifier::plainText)
                return QString::fromUtf8(r.data);
        }
        return {};
    }

    FakeFloatingWindows floating;
    ManualTimers timers;
    HistoryWindowManager manager{store, notices, preferences, actions, frontmost, floating, timers.factory()};
};

TEST_F(HistoryWindowManagerTest, ShowingBringsOneFloatingPanelForwardAndRemembersTheApplicationInFront) {
    manager.show(HistoryWindowManager::PanelState::reset);
    FloatingWindow* window = manager.window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(manager.isVisible());
    EXPECT_EQ(window->size(), QSize(720, 560));
    EXPECT_EQ(window->minimumSize(), QSize(680, 500));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(manager.previousApp(), editor);
    EXPECT_EQ(floating.stickyRequests(), 1);
    // Asked at once and twice more shortly after.
    const int activations = floating.activations();
    EXPECT_GE(activations, 1);
    timers.fire(HistoryWindowManager::reinforceFirstMilliseconds);
    timers.fire(HistoryWindowManager::reinforceSecondMilliseconds);
    EXPECT_EQ(floating.activations(), activations + 2);

    // Shown again from this application's own window: the same window, the same previous application, and the
    // search starts afresh.
    manager.viewModel().setQuery(u"abc"_s);
    frontmost.setFrontmost(RunningApplication{7, u"Stowline"_s, u"org.stowline.Stowline"_s, 1});
    manager.show(HistoryWindowManager::PanelState::reset);
    EXPECT_EQ(manager.window(), window);
    EXPECT_EQ(manager.previousApp(), editor);
    EXPECT_TRUE(manager.viewModel().query().isEmpty());

    manager.toggle();
    EXPECT_FALSE(manager.isVisible());
    EXPECT_EQ(frontmost.activations().size(), 1);
}

TEST_F(HistoryWindowManagerTest, UsingAClipCopiesMarksItUsedReturnsAndPastesLater) {
    preferences.setInstantPaste(true);
    const QUuid older = add(textClip(u"older"_s, Timestamp{1}));
    add(textClip(u"newer"_s, Timestamp{2}));
    manager.show(HistoryWindowManager::PanelState::reset);
    settle();
    manager.viewModel().moveSelection(1);
    QTest::keyClick(manager.window()->focusWidget() ? manager.window()->focusWidget() : manager.window(),
                    Qt::Key_Return);

    EXPECT_EQ(pasted(), u"older"_s);
    EXPECT_EQ(store.items().first().id(), older);
    EXPECT_FALSE(manager.isVisible());
    EXPECT_EQ(frontmost.activations(), QList<RunningApplication>({editor}));
    EXPECT_EQ(keystrokes.pasteCount(), 0);
    timers.fire(HistoryWindowManager::pasteDelayMilliseconds);
    EXPECT_EQ(keystrokes.pasteCount(), 1);

    // Nothing that can be written: the panel stays and nothing is pasted.
    manager.show(HistoryWindowManager::PanelState::reset);
    const ClipItem empty({.id = QUuid::createUuid(),
                          .createdAt = Timestamp{1000},
                          .title = u"empty"_s,
                          .preview = u"empty"_s,
                          .contentHash = u"hash-of-nothing"_s});
    manager.use(empty, RestoreForm::allRepresentations);
    EXPECT_TRUE(manager.isVisible());
    EXPECT_FALSE(timers.at(4)->isActive());
}

TEST_F(HistoryWindowManagerTest, APasteWhoseApplicationLostTheFocusIsNotTypedAndTheUserIsTold) {
    preferences.setInstantPaste(true);
    add(textClip(u"secret"_s, Timestamp{1}));
    manager.show(HistoryWindowManager::PanelState::reset);
    settle();
    // Something else took the focus before the keystroke.
    keystrokes.setActiveWindow(editor.window + 1);
    manager.use(store.items().first(), RestoreForm::allRepresentations);
    timers.fire(HistoryWindowManager::pasteDelayMilliseconds);

    EXPECT_EQ(keystrokes.pasteCount(), 0);
    EXPECT_EQ(pasted(), u"secret"_s);
    ASSERT_TRUE(notices.current());
    EXPECT_EQ(notices.current()->kind, UserMessage::Kind::pasteRefused);
    EXPECT_TRUE(notices.current()->text.contains(u"Text Editor was no longer the active window"));

    // Back in front, the next use pastes and the message goes.
    keystrokes.setActiveWindow(editor.window);
    manager.show(HistoryWindowManager::PanelState::reset);
    manager.use(store.items().first(), RestoreForm::allRepresentations);
    timers.fire(HistoryWindowManager::pasteDelayMilliseconds);
    EXPECT_EQ(keystrokes.pasteCount(), 1);
    EXPECT_FALSE(notices.current());
}

TEST_F(HistoryWindowManagerTest, OnlyTextIsEditedAndCancellingReturnsToThePanel) {
    const QUuid image = add(imageClip(QByteArray("png")));
    add(textClip(u"https://example.com/a"_s, Timestamp{5}));
    manager.show(HistoryWindowManager::PanelState::reset);
    settle();
    manager.viewModel().setQuery(u"example"_s);
    settle();

    manager.edit(*store.item(image));
    EXPECT_TRUE(manager.isVisible());
    EXPECT_FALSE(manager.editorManager().isVisible());

    manager.edit(*manager.viewModel().selectedItem());
    EXPECT_FALSE(manager.isVisible());
    EXPECT_TRUE(manager.editorManager().isVisible());
    EXPECT_TRUE(frontmost.activations().isEmpty());

    // Cancelling brings the panel back as it was.
    manager.editorManager().controller()->cancel();
    EXPECT_TRUE(manager.isVisible());
    EXPECT_EQ(manager.viewModel().query(), u"example"_s);
}

TEST_F(HistoryWindowManagerTest, InactivityClosesAfterAtLeastASecondAndInputInThePanelRestartsIt) {
    preferences.setInactivitySeconds(0);
    manager.show(HistoryWindowManager::PanelState::reset);
    ManualTimer* inactivity = timers.at(1);
    ASSERT_TRUE(inactivity->isActive());
    EXPECT_EQ(inactivity->interval(), 1000);

    // Input reaches the panel through its window, where the activity is read.
    const int starts = inactivity->starts();
    QTest::keyClick(manager.window()->windowHandle(), Qt::Key_A);
    EXPECT_GT(inactivity->starts(), starts);
    QWidget other;
    other.show();
    const int afterTyping = inactivity->starts();
    QTest::keyClick(other.windowHandle(), Qt::Key_B);
    EXPECT_EQ(inactivity->starts(), afterTyping);

    preferences.setInactivityCloseEnabled(false);
    EXPECT_FALSE(inactivity->isActive());
    preferences.setInactivityCloseEnabled(true);
    inactivity->fire();
    EXPECT_FALSE(manager.isVisible());
    EXPECT_EQ(frontmost.activations(), QList<RunningApplication>({editor}));
    EXPECT_FALSE(inactivity->isActive());
}

TEST_F(HistoryWindowManagerTest, SettingsHideThePanelWithoutReturningToThePreviousApplication) {
    manager.show(HistoryWindowManager::PanelState::reset);
    manager.showSettings();
    EXPECT_FALSE(manager.isVisible());
    int shown = 0;
    manager.setSettingsManager({[&] { ++shown; }, [] { return static_cast<QWidget*>(nullptr); }});
    manager.show(HistoryWindowManager::PanelState::reset);
    manager.showSettings();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(frontmost.activations().isEmpty());
}

} // namespace
