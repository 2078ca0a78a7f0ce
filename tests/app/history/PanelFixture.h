#pragma once

#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/ui/history/HistoryView.h"
#include "app/ui/history/HistoryViewModel.h"
#include "tests/app/ManualTimer.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

class QListView;

namespace stowline::test {

// A panel's view over a memory-only history with timers the test fires and every callback recorded. Child
// widgets are found by their object names, as a user finds them by what they show.
class PanelFixture : public ::testing::Test {
protected:
    PanelFixture();
    ~PanelFixture() override;

    // Adds a clip one second newer than the last one added.
    QUuid add(ClipItem item);
    // Makes the view when there is none yet, lets the debounce and the filtering finish and the view take the
    // result.
    void settle();
    // The view, made and shown (720 × 560) on first use.
    HistoryView& view();
    QListView& list();
    template <typename T = QWidget>
    T* child(const QString& name) {
        T* found = view().findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // A key as the search field, which holds the focus, receives it.
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The title of the clip at `row` of the list, and of the one at the list's top edge.
    QString titleAt(int row);
    QString topTitle();
    QString selectedTitle() const;

    QTemporaryDir dir;
    AppPreferences preferences;
    HistoryStore store;
    Notices notices;
    ManualTimers timers;
    HistoryViewModel model{store, timers.factory()};
    HistoryViewCallbacks callbacks;
    QList<QPair<QString, bool>> used; // title, as plain text
    QStringList edited;
    QStringList copied;
    int dismissed = 0;
    int settings = 0;

private:
    std::unique_ptr<HistoryView> m_view;
    double m_nextTime = 2000;
};

} // namespace stowline::test
