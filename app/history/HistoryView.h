#pragma once

#include "app/actions/ClipboardActions.h"
#include "app/history/ClipRow.h"
#include "core/history/HistoryEngine.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QListView;
class QPropertyAnimation;
class QStackedWidget;

namespace stowline {

class AppPreferences;
class EmptyState;
class ErrorBanner;
class FilterBar;
class HistoryHeader;
class HistoryListModel;
class HistoryStore;
class HistoryViewModel;
class KeyHintFooter;
class Notices;

// What the panel's user asks for; the history window supplies these.
struct HistoryViewCallbacks {
    std::function<void(const ClipItem& item, RestoreForm form)> onUse;
    std::function<void(const ClipItem& item)> onEdit;
    std::function<void(const QString& text)> onCopyRecognizedText;
    std::function<void()> onDismiss;
    std::function<void()> onSettings;
};

// The content of the history panel: the search header, the error banner, the filter bar, the list of clips (or
// the paused, empty or no-match state) and the footer of key hints. Binds to the view model for everything it
// shows and reports intentions through the callbacks. While it is visible it reads the keys of its window first:
// Return uses the selected clip (Shift: as plain text), Alt+Return edits it, Escape dismisses, Up and Down move
// the selection; everything else, and anything with Ctrl or Super, goes on to the search field.
class HistoryView : public QWidget {
    Q_OBJECT

public:
    // What the content area shows, in the order the cases are tested.
    enum class ContentState { paused, list, noMatch, empty };
    static constexpr int searchFocusDelayMilliseconds = 80;
    static constexpr int scrollMilliseconds = 120;

    HistoryView(HistoryStore& store, Notices& notices, AppPreferences& preferences, HistoryViewModel& model,
                HistoryViewCallbacks callbacks, QWidget* parent = nullptr);
    ~HistoryView() override;

    static ContentState contentState(bool captureEnabled, bool hasVisibleItems, bool queryIsEmpty);
    ContentState currentContentState() const;

    HistoryHeader* header() const { return m_header; }
    ErrorBanner* errorBanner() const { return m_banner; }
    FilterBar* filterBar() const { return m_filterBar; }
    EmptyState* emptyState() const { return m_emptyState; }
    KeyHintFooter* footer() const { return m_footer; }
    QListView* list() const { return m_list; }
    ClipRow* rows() const { return m_rows; }
    HistoryListModel* listModel() const { return m_listModel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool handleKey(const QKeyEvent& event);
    void showVisibleItems();
    void showSelection(bool scroll);
    void updateContent();
    void updateFooter();
    void updateBanner();
    void applyRowSettings();
    void scrollToCentre(int row);

    HistoryStore& m_store;
    Notices& m_notices;
    AppPreferences& m_preferences;
    HistoryViewModel& m_model;
    HistoryViewCallbacks m_callbacks;
    HistoryHeader* m_header;
    ErrorBanner* m_banner;
    FilterBar* m_filterBar;
    QStackedWidget* m_content;
    QListView* m_list;
    HistoryListModel* m_listModel;
    ClipRow* m_rows;
    EmptyState* m_emptyState;
    KeyHintFooter* m_footer;
    QPropertyAnimation* m_scroll;
    int m_selectedRow = -1;
    bool m_monitoring = false;
};

} // namespace stowline
