#include "app/ui/history/HistoryView.h"

#include "app/preferences/AppPreferences.h"
#include "app/notices/Notices.h"
#include "app/store/HistoryStore.h"
#include "app/ui/history/ClipMenu.h"
#include "app/ui/history/ClipRow.h"
#include "app/ui/history/ClipRowTexts.h"
#include "app/ui/history/EmptyState.h"
#include "app/ui/history/ErrorBanner.h"
#include "app/ui/history/FilterBar.h"
#include "app/ui/history/HistoryHeader.h"
#include "app/ui/history/HistoryListModel.h"
#include "app/ui/history/HistoryViewModel.h"
#include "app/ui/history/KeyHintFooter.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/StyleMetrics.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace stowline {

namespace {

// Rows of 100,000 clips are laid out a batch at a time; a row not laid out yet is looked for again this often.
constexpr int kLayoutRetries = 1000;

// Runs `step` until it returns true, each time after the events already posted (the list's layout batches).
void retryAfterEvents(QObject* context, std::function<bool()> step, int attempts = kLayoutRetries) {
    if (step() || attempts <= 0)
        return;
    QTimer::singleShot(0, context, [context, step = std::move(step), attempts]() mutable {
        retryAfterEvents(context, std::move(step), attempts - 1);
    });
}

} // namespace

HistoryView::HistoryView(HistoryStore& store, Notices& notices, AppPreferences& preferences, HistoryViewModel& model,
                         HistoryViewCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_notices(notices)
    , m_preferences(preferences)
    , m_model(model)
    , m_callbacks(std::move(callbacks)) {
    setObjectName(QStringLiteral("historyView"));
    setAccessibleName(QStringLiteral("Clipboard history"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header = new HistoryHeader(this);
    layout->addWidget(m_header);
    m_banner = new ErrorBanner(this);
    layout->addWidget(m_banner);
    m_filterBar = new FilterBar(this);
    layout->addWidget(m_filterBar);

    m_content = new QStackedWidget(this);
    m_listModel = new HistoryListModel(
        [this](const ClipItem& item) {
            return ClipRowTexts::accessibilityLabel(item, m_preferences.showApplicationIdentifiers(), m_model.search());
        },
        this);
    // The rows keep clear of the panel's edges.
    auto* listArea = new QWidget(m_content);
    auto* listLayout = new QVBoxLayout(listArea);
    listLayout->setContentsMargins(PanelMetrics::list);
    m_list = new QListView(listArea);
    connect(m_list->verticalScrollBar(), &QScrollBar::rangeChanged, listArea, [listLayout](int, int maximum) {
        QMargins margins = PanelMetrics::list;
        if (maximum > 0)
            margins.setRight(PanelMetrics::listRightBesideScrollBar);
        listLayout->setContentsMargins(margins);
    });
    listLayout->addWidget(m_list);
    m_list->setObjectName(QStringLiteral("clipList"));
    m_list->setAccessibleName(QStringLiteral("Clips"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The list scrolls when the selection moves, never because a row became current.
    m_list->setAutoScroll(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    // Rows are laid out a batch at a time, so the first ones paint before 100,000 are measured.
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(200);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->installEventFilter(this);
    m_rows = new ClipRow({[this](const QUuid& id) { m_model.setSelectedID(id); },
                          [this](const QUuid& id) { m_store.toggleFavorite(id); },
                          [this](const QUuid& id) { m_store.deleteItem(id); },
                          [this](const QString& text) {
                              if (m_callbacks.onCopyRecognizedText)
                                  m_callbacks.onCopyRecognizedText(text);
                          }},
                         this);
    m_list->setItemDelegate(m_rows);
    m_list->setModel(m_listModel);
    m_content->addWidget(listArea);
    m_emptyState = new EmptyState(m_content);
    m_content->addWidget(m_emptyState);
    connect(m_emptyState, &EmptyState::actionTriggered, this, [this] {
        if (currentContentState() == ContentState::paused)
            m_preferences.setCaptureEnabled(true);
    });
    layout->addWidget(m_content, 1);

    m_footer = new KeyHintFooter(this);
    layout->addWidget(m_footer);

    m_scroll = new QPropertyAnimation(m_list->verticalScrollBar(), "value", this);
    m_scroll->setObjectName(QStringLiteral("scrollAnimation"));
    m_scroll->setDuration(scrollMilliseconds);
    m_scroll->setEasingCurve(QEasingCurve::OutCubic);

    QLineEdit* search = m_header->searchField();
    search->setText(m_model.query());
    search->installEventFilter(this);
    connect(search, &QLineEdit::textChanged, &m_model, &HistoryViewModel::setQuery);
    connect(&m_model, &HistoryViewModel::queryChanged, this, [this](const QString& query) {
        if (m_header->searchField()->text() != query)
            m_header->searchField()->setText(query);
        updateContent();
    });
    connect(m_header->settingsButton(), &QToolButton::clicked, this, [this] {
        if (m_callbacks.onSettings)
            m_callbacks.onSettings();
    });
    connect(m_banner->dismissButton(), &QPushButton::clicked, this, [this] { m_notices.show(std::nullopt); });
    connect(m_filterBar, &FilterBar::filterChosen, &m_model, &HistoryViewModel::setFilter);
    connect(&m_model, &HistoryViewModel::filterChanged, m_filterBar, &FilterBar::setFilter);
    connect(&m_model, &HistoryViewModel::visibleItemsChanged, this, &HistoryView::showVisibleItems);
    connect(&m_model, &HistoryViewModel::selectedIDChanged, this, [this] { showSelection(true); });
    // A row chosen through the list itself (assistive technology) is the selection too.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        const SharedClipItem item = ClipRow::clipOf(current);
        if (item && m_model.selectedID() != item->id())
            m_model.setSelectedID(item->id());
    });
    // A clip changed in place may need another height.
    connect(m_listModel, &QAbstractItemModel::dataChanged, m_rows,
            [this](const QModelIndex& first) { Q_EMIT m_rows->sizeHintChanged(first); });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!std::exchange(m_syncQueued, true))
            QTimer::singleShot(0, this, &HistoryView::syncTextViews);
    });
    connect(&m_notices, &Notices::changed, this, &HistoryView::updateBanner);
    connect(&m_preferences, &AppPreferences::captureEnabledChanged, this, &HistoryView::updateContent);
    connect(&m_preferences, &AppPreferences::instantPasteChanged, this, &HistoryView::updateFooter);
    connect(&m_preferences, &AppPreferences::pastePlainTextByDefaultChanged, this, &HistoryView::updateFooter);
    connect(&m_preferences, &AppPreferences::shortcutChanged, this, &HistoryView::updateFooter);
    connect(&m_preferences, &AppPreferences::previewLineCountChanged, this, &HistoryView::applyRowSettings);
    connect(&m_preferences, &AppPreferences::previewFontSizeChanged, this, &HistoryView::applyRowSettings);
    connect(&m_preferences, &AppPreferences::showApplicationIdentifiersChanged, this, &HistoryView::applyRowSettings);

    m_filterBar->setFilter(m_model.filter());
    StowlineStyle::styleScrollBar(m_list->verticalScrollBar());
    applyRowSettings();
    updateBanner();
    showVisibleItems();
}

HistoryView::~HistoryView() = default;

HistoryView::ContentState HistoryView::contentState(bool captureEnabled, bool hasVisibleItems, bool queryIsEmpty) {
    if (!captureEnabled)
        return ContentState::paused;
    if (hasVisibleItems)
        return ContentState::list;
    if (!queryIsEmpty)
        return ContentState::noMatch;
    return ContentState::empty;
}

HistoryView::ContentState HistoryView::currentContentState() const {
    return contentState(m_preferences.captureEnabled(), !m_model.visibleItems().isEmpty(), m_model.query().isEmpty());
}

void HistoryView::applyRowSettings() {
    m_rows->setSettings({int(std::clamp<qint64>(m_preferences.previewLineCount(), 0, 1000)),
                         m_preferences.previewFontSize(), m_preferences.showApplicationIdentifiers()});
    m_rows->setWidth(m_list->viewport()->width());
    m_list->doItemsLayout();
}

std::optional<HistoryView::Anchor> HistoryView::topAnchor() const {
    // At the top the list follows the newest clips.
    if (m_list->verticalScrollBar()->value() == 0)
        return std::nullopt;
    const QModelIndex top = m_list->indexAt(QPoint(m_list->viewport()->width() / 2, 0));
    const SharedClipItem item = ClipRow::clipOf(top);
    if (!item)
        return std::nullopt;
    return Anchor{item->id(), m_list->visualRect(top).top()};
}

void HistoryView::restoreAnchor() {
    if (!m_pendingAnchor)
        return;
    retryAfterEvents(this, [this] {
        if (!m_pendingAnchor)
            return true;
        const int row = m_listModel->rowOf(m_pendingAnchor->id);
        if (row < 0) {
            m_pendingAnchor.reset();
            return true;
        }
        const QRect rect = m_list->visualRect(m_listModel->index(row));
        QScrollBar* bar = m_list->verticalScrollBar();
        const int target = bar->value() + rect.top() - m_pendingAnchor->offset;
        if (!rect.isValid() || target > bar->maximum())
            return false;
        bar->setValue(target);
        m_pendingAnchor.reset();
        return true;
    });
}

void HistoryView::showVisibleItems() {
    m_scroll->stop();
    if (!m_pendingAnchor)
        m_pendingAnchor = topAnchor();
    {
        // The list model's own moves of the current row are not choices of the user.
        const QSignalBlocker quiet(m_list->selectionModel());
        m_listModel->setItems(m_model.visibleItems());
    }
    showSelection(false);
    restoreAnchor();
    updateContent();
    if (!std::exchange(m_syncQueued, true))
        QTimer::singleShot(0, this, &HistoryView::syncTextViews);
}

void HistoryView::showSelection(bool scroll) {
    const int row = int(m_model.selectedIndex());
    QItemSelectionModel* selection = m_list->selectionModel();
    {
        const QSignalBlocker quiet(selection);
        if (row < 0) {
            selection->clear();
        } else {
            const QModelIndex index = m_listModel->index(row);
            if (selection->currentIndex() != index || !selection->isSelected(index))
                selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        }
    }
    m_list->viewport()->update();
    if (row >= 0 && scroll) {
        m_pendingAnchor.reset();
        scrollToCentre(row);
    }
    updateFooter();
}

void HistoryView::scrollToCentre(int row) {
    m_scroll->stop();
    retryAfterEvents(this, [this, id = m_listModel->clipAt(row)->id()] {
        const int now = m_listModel->rowOf(id);
        if (now < 0 || now != int(m_model.selectedIndex()))
            return true;
        const QRect rect = m_list->visualRect(m_listModel->index(now));
        QScrollBar* bar = m_list->verticalScrollBar();
        const int wanted = bar->value() + rect.center().y() - m_list->viewport()->height() / 2;
        // A row further down than the rows laid out so far is scrolled to once its batch is in.
        if (!rect.isValid() || wanted > bar->maximum() + m_list->viewport()->height())
            return false;
        m_scroll->stop();
        m_scroll->setStartValue(bar->value());
        m_scroll->setEndValue(std::clamp(wanted, bar->minimum(), bar->maximum()));
        m_scroll->start();
        return true;
    });
}

void HistoryView::updateContent() {
    const ContentState state = currentContentState();
    switch (state) {
    case ContentState::paused:
        m_emptyState->set(Symbol::paused, QStringLiteral("Clipboard capture is paused"),
                          PlatformWording::text(Wording::pausedHistoryMessage), QStringLiteral("Resume Capture"));
        break;
    case ContentState::list:
        break;
    case ContentState::noMatch:
        m_emptyState->set(Symbol::magnifyingGlass, QStringLiteral("No matching clips"),
                          QStringLiteral("Try a different word or content filter."));
        break;
    case ContentState::empty:
        m_emptyState->set(Symbol::emptyClipboard, QStringLiteral("Copy something to begin"),
                          PlatformWording::text(Wording::emptyHistoryMessage));
        break;
    }
    m_content->setCurrentWidget(state == ContentState::list ? m_list->parentWidget() : m_emptyState);
    m_filterBar->setCapturing(m_preferences.captureEnabled());
    updateFooter();
}

void HistoryView::updateFooter() {
    const SharedClipItem selected = m_model.selectedItem();
    m_footer->update({.keysActive = currentContentState() != ContentState::paused,
                      .instantPaste = m_preferences.instantPaste(),
                      .plainTextByDefault = m_preferences.pastePlainTextByDefault(),
                      .hasSelection = selected != nullptr && currentContentState() == ContentState::list,
                      .editable = selected && isEditable(selected->kind()),
                      .shortcut = m_preferences.shortcut().displayText,
                      .clipCount = m_model.visibleItems().size()});
}

void HistoryView::updateBanner() {
    const std::optional<UserMessage>& error = m_notices.current();
    m_banner->setVisible(error.has_value());
    m_banner->setMessage(error ? error->text : QString());
}

void HistoryView::updateHover(const QPoint& point) {
    const SharedClipItem item = ClipRow::clipOf(m_list->indexAt(point));
    const std::optional<QUuid> hovered = item ? std::optional(item->id()) : std::nullopt;
    if (hovered == m_rows->hoveredClip())
        return;
    m_rows->setHoveredClip(hovered);
    m_list->viewport()->update();
}

void HistoryView::syncTextViews() {
    m_syncQueued = false;
    const int height = m_list->viewport()->height();
    QList<QPersistentModelIndex> wanted;
    for (QModelIndex index = m_list->indexAt(QPoint(1, 0)); index.isValid();
         index = m_listModel->index(index.row() + 1)) {
        const QRect rect = m_list->visualRect(index);
        if (!rect.isValid() || rect.top() >= height)
            break;
        const SharedClipItem item = ClipRow::clipOf(index);
        if (item && ClipRow::hasRecognizedTextView(*item))
            wanted.append(index);
    }
    for (const QPersistentModelIndex& open : std::as_const(m_textViews)) {
        if (open.isValid() && !wanted.contains(open))
            m_list->closePersistentEditor(open);
    }
    for (const QPersistentModelIndex& index : std::as_const(wanted)) {
        if (!m_list->isPersistentEditorOpen(index))
            m_list->openPersistentEditor(index);
    }
    m_textViews = wanted;
}

void HistoryView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(searchFocusDelayMilliseconds, m_header->searchField(),
                       [field = m_header->searchField()] { field->setFocus(Qt::OtherFocusReason); });
    m_header->searchField()->setFocus(Qt::OtherFocusReason);
}

void HistoryView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), StowlineStyle::color(StyleRole::surface));
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::Resize:
            // Heights depend on the width; the list lays its rows out again after the resize.
            m_rows->setWidth(m_list->viewport()->width());
            if (!std::exchange(m_syncQueued, true))
                QTimer::singleShot(0, this, &HistoryView::syncTextViews);
            break;
        case QEvent::MouseMove:
            updateHover(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::Leave:
            m_rows->setHoveredClip(std::nullopt);
            m_list->viewport()->update();
            break;
        case QEvent::ContextMenu: {
            const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            const SharedClipItem item = ClipRow::clipOf(m_list->indexAt(menuEvent->pos()));
            if (!item)
                return false;
            m_model.setSelectedID(item->id());
            openMenu(menuEvent->globalPos());
            return true;
        }
        default:
            break;
        }
        return false;
    }
    if (watched == m_header->searchField() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        // While Ctrl is held the first nine rows show their numbers. Platforms differ in whether a modifier's own
        // event carries it, so Ctrl's own events decide by their type and every other key by its modifiers.
        showRowNumbers(keyEvent->key() == Qt::Key_Control ? event->type() == QEvent::KeyPress
                                                          : keyEvent->modifiers().testFlag(Qt::ControlModifier));
        if (event->type() == QEvent::KeyRelease)
            return false;
        if (const std::optional<PanelKeys::QuickUse> quick = PanelKeys::quickUse(*keyEvent)) {
            const QList<SharedClipItem>& visible = m_model.visibleItems();
            // Paused, the rows are hidden and none of them is there to use.
            if (quick->index < visible.size() && m_callbacks.onUse && currentContentState() == ContentState::list)
                m_callbacks.onUse(*visible[quick->index], formFor(*visible[quick->index], quick->plainText));
            else
                QApplication::beep();
            return true;
        }
        const std::optional<PanelKey> key = PanelKeys::of(*keyEvent, m_header->searchField()->text().isEmpty());
        return key && handleKey(*key);
    }
    return false;
}

RestoreForm HistoryView::formFor(const ClipItem& item, bool shifted) const {
    // Only text has a plain form; the preference swaps which of Return and Shift+Return gives it.
    const bool plain = isEditable(item.kind()) && shifted != m_preferences.pastePlainTextByDefault();
    return plain ? RestoreForm::plainTextOnly : RestoreForm::allRepresentations;
}

void HistoryView::showRowNumbers(bool shown) {
    if (m_rows->rowNumbersShown() == shown)
        return;
    m_rows->setRowNumbersShown(shown);
    m_list->viewport()->update();
}

void HistoryView::hideEvent(QHideEvent* event) {
    showRowNumbers(false);
    QWidget::hideEvent(event);
}

void HistoryView::keyPressEvent(QKeyEvent* event) {
    // Keys the other controls (the filters, the buttons) leave alone: Escape still closes the panel.
    const std::optional<PanelKey> key = PanelKeys::of(*event, true);
    if (key == PanelKey::dismiss && handleKey(*key))
        return;
    QWidget::keyPressEvent(event);
}

bool HistoryView::handleKey(PanelKey key) {
    // While paused the list is hidden: no key may pick, copy, paste, edit or delete a clip the user cannot see.
    if (currentContentState() == ContentState::paused && key != PanelKey::dismiss)
        return true;
    const SharedClipItem selected = m_model.selectedItem();
    const qsizetype count = m_model.visibleItems().size();
    switch (key) {
    case PanelKey::use:
    case PanelKey::usePlainText:
        // A Return with nothing selected is still the panel's.
        if (selected && m_callbacks.onUse)
            m_callbacks.onUse(*selected, formFor(*selected, key == PanelKey::usePlainText));
        return true;
    case PanelKey::edit:
        if (selected && m_callbacks.onEdit)
            m_callbacks.onEdit(*selected);
        return true;
    case PanelKey::dismiss:
        if (m_callbacks.onDismiss)
            m_callbacks.onDismiss();
        return true;
    case PanelKey::up:
    case PanelKey::down:
        m_model.moveSelection(key == PanelKey::down ? 1 : -1);
        return true;
    case PanelKey::pageUp:
    case PanelKey::pageDown:
        moveByPage(key == PanelKey::pageDown ? 1 : -1);
        return true;
    case PanelKey::first:
    case PanelKey::last:
        m_model.moveSelection(int(key == PanelKey::last ? count : -count));
        return true;
    case PanelKey::favorite:
        if (selected)
            m_store.toggleFavorite(selected->id());
        return true;
    case PanelKey::remove:
        if (selected)
            m_store.deleteItem(selected->id());
        return true;
    case PanelKey::menu: {
        const QRect rect =
            selected ? m_list->visualRect(m_listModel->index(m_listModel->rowOf(selected->id()))) : QRect();
        const QPoint at =
            rect.intersects(m_list->viewport()->rect()) ? rect.center() : m_list->viewport()->rect().center();
        openMenu(m_list->viewport()->mapToGlobal(at));
        return true;
    }
    }
    return false;
}

void HistoryView::openMenu(const QPoint& globalPosition) {
    const SharedClipItem selected = m_model.selectedItem();
    if (!selected || currentContentState() != ContentState::list)
        return;
    auto* menu = new ClipMenu(
        *selected, {m_preferences.instantPaste(), m_preferences.pastePlainTextByDefault()},
        [this](PanelKey key) { handleKey(key); }, this);
    menu->popup(globalPosition);
}

void HistoryView::moveByPage(int direction) {
    const int row = int(std::max<qsizetype>(0, m_model.selectedIndex()));
    const QRect rect = m_list->visualRect(m_listModel->index(row));
    int step = direction;
    if (rect.isValid()) {
        // The row a viewport's height away, or the end of the list when there is none.
        const QModelIndex target =
            m_list->indexAt(QPoint(rect.center().x(), rect.center().y() + direction * m_list->viewport()->height()));
        step = target.isValid() ? target.row() - row : direction * int(m_model.visibleItems().size());
        if (step == 0)
            step = direction;
    }
    m_model.moveSelection(step);
}

} // namespace stowline
