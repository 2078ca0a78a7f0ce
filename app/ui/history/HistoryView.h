#pragma once

#include "app/actions/ClipboardActions.h"
#include "app/ui/history/PanelKeys.h"
#include "core/history/HistoryEngine.h"

#include <QPersistentModelIndex>
#include <QWidget>

#include <functional>
#include <optional>

class QListView;
class QPropertyAnimation;
class QStackedWidget;

namespace stowline {

class AppPreferences;
class ClipRow;
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
// shows and reports intentions through the callbacks. The search field's keys are read first (PanelKeys says
// which the panel takes). The list keeps its scroll position when the clips change and scrolls only to a newly
// selected clip; the selection is the list's selection model, kept in step with the view model's.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The row at the top of the list and how far above the top it begins, to find it again after a change.
    struct Anchor {
        QUuid id;
        int offset = 0;
    };

    bool handleKey(PanelKey key);
    void moveByPage(int direction);
    void showRowNumbers(bool shown);
    // How a clip is used by Return (`shifted` false) or Shift+Return.
    RestoreForm formFor(const ClipItem& item, bool shifted) const;
    // The selected clip's actions as a menu at `globalPosition`.
    void openMenu(const QPoint& globalPosition);
    void showVisibleItems();
    void showSelection(bool scroll);
    std::optional<Anchor> topAnchor() const;
    void restoreAnchor();
    void updateContent();
    void updateFooter();
    void updateBanner();
    void applyRowSettings();
    void scrollToCentre(int row);
    void updateHover(const QPoint& point);
    // Opens a recognised-text view over every visible image row that has text, and closes the others.
    void syncTextViews();

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
    std::optional<Anchor> m_pendingAnchor;
    QList<QPersistentModelIndex> m_textViews;
    bool m_syncQueued = false;
};

} // namespace stowline
