#include "app/ui/history/HistoryViewModel.h"

#include "app/store/HistoryStore.h"
#include "tests/app/ManualTimer.h"
#include "tests/support/ClipBuilders.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

class HistoryViewModelTest : public ::testing::Test {
protected:
    // Captured in this order, so the history lists them newest first.
    QUuid add(const QString& text, bool credential = false) {
        ClipItem item = textClip(text, Timestamp{double(1000 + store.items().size())});
        if (credential)
            item.setCredentialClassification(CredentialClassification{1, true});
        return store.capture(item, 0);
    }
    // The filtering asked for so far has reached the view model.
    void applied() {
        model.waitForSearchQueue();
        QCoreApplication::processEvents();
    }
    // The debounce time passes, then the same.
    void settle() {
        timers.fire(HistoryViewModel::debounceMilliseconds);
        applied();
    }
    QStringList visibleTitles() const {
        QStringList titles;
        for (const SharedClipItem& item : model.visibleItems())
            titles.append(item->title());
        return titles;
    }

    HistoryStore store;
    ManualTimers timers;
    HistoryViewModel model{store, timers.factory()};
};

TEST_F(HistoryViewModelTest, TheFirstListArrivesAfterTheDebounceWithTheFirstEntrySelected) {
    add(u"alpha"_s);
    const QUuid newest = add(u"beta"_s);
    applied();
    EXPECT_TRUE(model.visibleItems().isEmpty());

    settle();
    EXPECT_EQ(visibleTitles(), QStringList({u"beta"_s, u"alpha"_s}));
    EXPECT_EQ(model.selectedID(), newest);
    // The rows are the history's own entries, not copies.
    EXPECT_EQ(model.visibleItems().first().get(), &store.publishedHistory()->at(0));
}

TEST_F(HistoryViewModelTest, TypingWithinTheDebounceFiltersOnceWithTheLastQuery) {
    add(u"alpha"_s);
    add(u"beta"_s);
    settle();
    QSignalSpy lists(&model, &HistoryViewModel::visibleItemsChanged);

    model.setQuery(u"a"_s);
    model.setQuery(u"al"_s);
    model.setQuery(u"alp"_s);
    settle();
    EXPECT_EQ(lists.count(), 1);
    EXPECT_EQ(visibleTitles(), QStringList({u"alpha"_s}));

    // A character typed and deleted again still filters once, with the unchanged query.
    model.setQuery(u"alpx"_s);
    model.setQuery(u"alp"_s);
    settle();
    EXPECT_EQ(lists.count(), 2);
    EXPECT_EQ(visibleTitles(), QStringList({u"alpha"_s}));
}

TEST_F(HistoryViewModelTest, FilterAndHistoryChangesApplyWithoutTheDebounce) {
    add(u"plain words"_s);
    add(u"hunter2-secret"_s, true);
    add(u"https://example.com"_s);
    settle();

    model.setFilter(HistoryFilter::credentials);
    applied();
    EXPECT_EQ(visibleTitles(), QStringList({u"hunter2-secret"_s}));

    model.setFilter(HistoryFilter::all);
    add(u"new arrival"_s);
    applied();
    EXPECT_EQ(model.visibleItems().size(), 4);
}

TEST_F(HistoryViewModelTest, SelectionStaysOnItsEntryUntilItIsFilteredOut) {
    add(u"alpha"_s);
    const QUuid lower = add(u"beta"_s);
    add(u"gamma"_s);
    settle();
    model.moveSelection(1);
    ASSERT_EQ(model.selectedID(), lower);

    add(u"delta"_s);
    settle();
    EXPECT_EQ(model.selectedID(), lower);
    EXPECT_EQ(model.selectedIndex(), 2);

    model.setQuery(u"alpha"_s);
    settle();
    EXPECT_EQ(model.selectedItem()->title(), u"alpha"_s);

    model.setQuery(u"nothing-matches"_s);
    settle();
    EXPECT_FALSE(model.selectedID());
    EXPECT_FALSE(model.selectedItem());
}

TEST_F(HistoryViewModelTest, MovingTheSelectionIsClampedToTheVisibleList) {
    add(u"third"_s);
    add(u"second"_s);
    add(u"first"_s);
    settle();
    model.moveSelection(1);
    model.moveSelection(1);
    EXPECT_EQ(model.selectedItem()->title(), u"third"_s);
    model.moveSelection(1);
    EXPECT_EQ(model.selectedItem()->title(), u"third"_s);
    model.moveSelection(-5);
    EXPECT_EQ(model.selectedItem()->title(), u"first"_s);

    // From a selection that is not visible the step counts from the first entry.
    model.setSelectedID(QUuid::createUuid());
    model.moveSelection(1);
    EXPECT_EQ(model.selectedItem()->title(), u"second"_s);
}

TEST_F(HistoryViewModelTest, ResetReturnsToTheWholeHistoryWithTheFirstEntrySelected) {
    add(u"alpha"_s);
    add(u"beta"_s);
    settle();
    model.setFilter(HistoryFilter::text);
    model.setQuery(u"alpha"_s);
    settle();
    ASSERT_EQ(model.visibleItems().size(), 1);

    // No debounce to wait for.
    model.resetInteraction();
    applied();
    EXPECT_TRUE(model.query().isEmpty());
    EXPECT_EQ(model.filter(), HistoryFilter::all);
    EXPECT_EQ(visibleTitles(), QStringList({u"beta"_s, u"alpha"_s}));
    EXPECT_EQ(model.selectedIndex(), 0);
}

} // namespace
