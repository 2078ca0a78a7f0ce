#include "app/actions/ClipboardActions.h"

#include "core/classify/ContentClassifier.h"
#include "tests/support/AppFixture.h"
#include "tests/support/ClipBuilders.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

ClipItem clipOf(const ClipRepresentations& representations) {
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{1000},
                     .kind = ClipKind::richText,
                     .title = u"clip"_s,
                     .preview = u"clip"_s,
                     .contentHash = ContentClassifier::hash(representations),
                     .byteCount = ContentClassifier::byteCount(representations),
                     .representations = representations});
}

ClipRepresentation plain(const QByteArray& bytes) {
    return {0, TypeIdentifier::plainText, bytes};
}

class ClipboardActionsTest : public test::AppFixture {
protected:
    ClipboardActionsTest() {
        // Copied before the monitor exists, so it is launch content and never becomes an entry.
        pasteboard.copy({plain("the user's own clipboard")});
        launchMonitor().start();
    }

    // What the user had on the clipboard is still there.
    void expectUntouched(qint64 changeCount) {
        EXPECT_EQ(pasteboard.changeCount(), changeCount);
        EXPECT_EQ(pasteboard.contents(), ClipRepresentations{plain("the user's own clipboard")});
    }

    // The monitor saw the write as its own: the history does not grow by it.
    void expectMarkedOwn() {
        EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());
        EXPECT_EQ(monitor->ownChangeCount(), pasteboard.changeCount());
        EXPECT_FALSE(poll());
        EXPECT_TRUE(store.items().isEmpty());
    }
};

} // namespace

TEST_F(ClipboardActionsTest, RestoreWritesItemsInIndexOrderAndMarksTheWriteOwn) {
    const ClipRepresentations stored{
        {2, TypeIdentifier::fileUrl, "file:///tmp/two"},
        {0, TypeIdentifier::plainText, "zero"},
        {1, TypeIdentifier::fileUrl, "file:///tmp/one"},
        {0, TypeIdentifier::html, "<b>zero</b>"},
    };
    ASSERT_TRUE(actions.restore(clipOf(stored), RestoreForm::allRepresentations));
    EXPECT_EQ(pasteboard.contents(), (ClipRepresentations{stored[1], stored[3], stored[2], stored[0]}));
    expectMarkedOwn();
}

TEST_F(ClipboardActionsTest, PlainTextRestoreWritesOnlyTheText) {
    const ClipItem rich = clipOf({{0, TypeIdentifier::rtf, "{\\rtf1 bold}"}, plain("bold \u00e9")});
    ASSERT_TRUE(actions.restore(rich, RestoreForm::plainTextOnly));
    EXPECT_EQ(pasteboard.contents(), ClipRepresentations{plain("bold \u00e9")});
    expectMarkedOwn();
}

TEST_F(ClipboardActionsTest, RestoreThatCannotWriteLeavesTheClipboardAlone) {
    const qint64 before = pasteboard.changeCount();
    struct Case {
        const char* name;
        ClipItem item;
        RestoreForm form;
    };
    const Case cases[] = {
        {"plain text of an image", test::imageClip("\x89PNG"), RestoreForm::plainTextOnly},
        {"plain text that is not UTF-8", clipOf({plain("\xc3\x28 broken")}), RestoreForm::plainTextOnly},
        {"no representations", clipOf({}), RestoreForm::allRepresentations},
        {"every type refused", clipOf({{0, u"com.example.private"_s, "x"}, {1, u"com.example.private"_s, "y"}}),
         RestoreForm::allRepresentations},
    };
    pasteboard.setUnwritableTypes({u"com.example.private"_s});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(actions.restore(c.item, c.form));
        expectUntouched(before);
    }
}

TEST_F(ClipboardActionsTest, CopyingText) {
    const qint64 before = pasteboard.changeCount();
    EXPECT_FALSE(actions.copyRecognizedText(QString()));
    expectUntouched(before);

    ASSERT_TRUE(actions.copyRecognizedText(u"Invoice 42"_s));
    EXPECT_EQ(pasteboard.contents(), ClipRepresentations{plain("Invoice 42")});
    expectMarkedOwn();

    ASSERT_TRUE(actions.copyEditedText(QString()));
    EXPECT_EQ(pasteboard.contents(), ClipRepresentations{plain("")}) << "an empty edit is written too";
    expectMarkedOwn();
}

TEST_F(ClipboardActionsTest, WritesSucceedAfterTheMonitorIsGone) {
    monitor.reset();
    EXPECT_TRUE(actions.copyEditedText(u"still works"_s));
    EXPECT_EQ(pasteboard.contents(), ClipRepresentations{plain("still works")});
}

TEST_F(ClipboardActionsTest, AccessibilityIsRefreshedAndAnnouncedOnlyOnChange) {
    keystrokes.setAvailable(false);
    ClipboardActions withoutAccess(pasteboard, keystrokes);
    EXPECT_FALSE(withoutAccess.accessibilityGranted());
    QSignalSpy changes(&withoutAccess, &ClipboardActions::accessibilityGrantedChanged);
    EXPECT_FALSE(withoutAccess.refreshAccessibility());
    EXPECT_FALSE(withoutAccess.refreshAccessibility());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(withoutAccess.postPasteKeystroke({}));

    keystrokes.setAvailable(true);
    EXPECT_TRUE(withoutAccess.refreshAccessibility());
    EXPECT_TRUE(withoutAccess.refreshAccessibility());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.first().first().toBool(), true);
    EXPECT_TRUE(withoutAccess.accessibilityGranted());
    EXPECT_TRUE(withoutAccess.postPasteKeystroke({}));
    EXPECT_EQ(keystrokes.pasteCount(), 1);
}
