#include "app/history/HistoryView.h"

#include "app/PlatformWording.h"
#include "app/history/HistoryListModel.h"
#include "app/history/HistoryViewModel.h"
#include "app/history/HistoryViewParts.h"
#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/style/StowlineStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace stowline {

namespace {

bool isEditable(ClipKind kind) {
    return kind == ClipKind::text || kind == ClipKind::richText || kind == ClipKind::link || kind == ClipKind::color;
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
            return ClipRow::accessibilityLabel(item, m_preferences.showApplicationIdentifiers(), m_model.search());
        },
        this);
    // The rows keep clear of the panel's edges.
    auto* listArea = new QWidget(m_content);
    auto* listLayout = new QVBoxLayout(listArea);
    listLayout->setContentsMargins(12, 2, 12, 0);
    m_list = new QListView(listArea);
    listLayout->addWidget(m_list);
    m_list->setObjectName(QStringLiteral("clipList"));
    m_list->setAccessibleName(QStringLiteral("Clips"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    // Rows are laid out a batch at a time, so the first ones paint before 100,000 are measured.
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(200);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->installEventFilter(this);
    m_rows = new ClipRow(*m_listModel,
                         {[this](const QUuid& id) { m_model.setSelectedID(id); },
                          [this](const QUuid& id) { m_store.toggleFavorite(id); },
                          [this](const QUuid& id) { m_store.deleteItem(id); },
                          [this](const QString& text) {
                              if (m_callbacks.onCopyRecognizedText)
                                  m_callbacks.onCopyRecognizedText(text);
                          }},
                         this);
    m_list->setItemDelegate(m_rows);
    m_list->setModel(m_listModel);
    connect(m_rows, &ClipRow::repaintNeeded, this, [this](const QUuid& id) {
        const int row = m_listModel->rowOf(id);
        if (row >= 0)
            m_list->viewport()->update(m_list->visualRect(m_listModel->index(row)));
    });
    m_content->addWidget(listArea);
    m_emptyState = new EmptyState(m_content);
    m_content->addWidget(m_emptyState);
    layout->addWidget(m_content, 1);

    m_footer = new KeyHintFooter(this);
    layout->addWidget(m_footer);

    m_scroll = new QPropertyAnimation(m_list->verticalScrollBar(), "value", this);
    m_scroll->setDuration(scrollMilliseconds);
    m_scroll->setEasingCurve(QEasingCurve::OutCubic);

    QLineEdit* search = m_header->searchField();
    search->setText(m_model.query());
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
    connect(&m_notices, &Notices::changed, this, &HistoryView::updateBanner);
    connect(&m_preferences, &AppPreferences::captureEnabledChanged, this, &HistoryView::updateContent);
    connect(&m_preferences, &AppPreferences::instantPasteChanged, this, &HistoryView::updateFooter);
    connect(&m_preferences, &AppPreferences::shortcutChanged, this, &HistoryView::updateFooter);
    connect(&m_preferences, &AppPreferences::previewLineCountChanged, this, &HistoryView::applyRowSettings);
    connect(&m_preferences, &AppPreferences::previewFontSizeChanged, this, &HistoryView::applyRowSettings);
    connect(&m_preferences, &AppPreferences::showApplicationIdentifiersChanged, this, &HistoryView::applyRowSettings);

    m_filterBar->setFilter(m_model.filter());
    applyRowSettings();
    updateBanner();
    showVisibleItems();
}

HistoryView::~HistoryView() {
    if (m_monitoring)
        qApp->removeEventFilter(this);
}

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

void HistoryView::showVisibleItems() {
    m_scroll->stop();
    m_listModel->setItems(m_model.visibleItems());
    m_selectedRow = -1;
    showSelection(false);
    m_list->scrollToTop();
    // A selection kept further down is scrolled to once the new rows are laid out.
    if (m_model.selectedIndex() > 0) {
        QTimer::singleShot(0, this, [this] {
            if (m_selectedRow > 0)
                scrollToCentre(m_selectedRow);
        });
    }
    updateContent();
}

void HistoryView::showSelection(bool scroll) {
    const int previous = m_selectedRow;
    m_selectedRow = int(m_model.selectedIndex());
    m_rows->setSelectedRow(m_selectedRow);
    for (int row : {previous, m_selectedRow}) {
        if (row >= 0 && row < m_listModel->rowCount())
            m_list->viewport()->update(m_list->visualRect(m_listModel->index(row)));
    }
    if (m_selectedRow >= 0) {
        // Keeps assistive technology on the selected row; the list itself never takes the focus.
        m_list->setCurrentIndex(m_listModel->index(m_selectedRow));
        if (scroll)
            scrollToCentre(m_selectedRow);
    }
    updateFooter();
}

void HistoryView::scrollToCentre(int row) {
    const QRect rect = m_list->visualRect(m_listModel->index(row));
    if (!rect.isValid())
        return;
    QScrollBar* bar = m_list->verticalScrollBar();
    const int target =
        std::clamp(bar->value() + rect.center().y() - m_list->viewport()->height() / 2, bar->minimum(), bar->maximum());
    m_scroll->stop();
    m_scroll->setStartValue(bar->value());
    m_scroll->setEndValue(target);
    m_scroll->start();
}

void HistoryView::updateContent() {
    const ContentState state = currentContentState();
    switch (state) {
    case ContentState::paused:
        m_emptyState->set(Symbol::paused, QStringLiteral("Clipboard capture is paused"),
                          QStringLiteral("Resume from the menu bar when you’re ready."));
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
    m_footer->update(m_preferences.instantPaste(), selected && isEditable(selected->kind()),
                     m_preferences.shortcut().displayText, m_model.visibleItems().size());
}

void HistoryView::updateBanner() {
    const std::optional<UserMessage>& error = m_notices.current();
    m_banner->setVisible(error.has_value());
    m_banner->setMessage(error ? error->text : QString());
}

void HistoryView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_monitoring) {
        qApp->installEventFilter(this);
        m_monitoring = true;
    }
    QTimer::singleShot(searchFocusDelayMilliseconds, m_header->searchField(),
                       [field = m_header->searchField()] { field->setFocus(Qt::OtherFocusReason); });
    m_header->searchField()->setFocus(Qt::OtherFocusReason);
}

void HistoryView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_monitoring) {
        qApp->removeEventFilter(this);
        m_monitoring = false;
    }
}

void HistoryView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), StowlineStyle::color(StyleRole::surface));
}

bool HistoryView::eventFilter(QObject* watched, QEvent* event) {
    // Heights depend on the width; the list lays its rows out again after the resize.
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        m_rows->setWidth(m_list->viewport()->width());
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window() || !isVisible())
        return false;
    return handleKey(*static_cast<QKeyEvent*>(event));
}

bool HistoryView::handleKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool plainModifiers = !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const SharedClipItem selected = m_model.selectedItem();
        if (modifiers == Qt::AltModifier) {
            if (selected && m_callbacks.onEdit)
                m_callbacks.onEdit(*selected);
            return true;
        }
        if (!plainModifiers)
            return false;
        // A Return with nothing selected is still the panel's.
        if (selected && m_callbacks.onUse)
            m_callbacks.onUse(*selected, modifiers.testFlag(Qt::ShiftModifier) ? RestoreForm::plainTextOnly
                                                                               : RestoreForm::allRepresentations);
        return true;
    }
    case Qt::Key_Escape:
        if (!plainModifiers)
            return false;
        if (m_callbacks.onDismiss)
            m_callbacks.onDismiss();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (!plainModifiers)
            return false;
        m_model.moveSelection(event.key() == Qt::Key_Down ? 1 : -1);
        return true;
    default:
        return false;
    }
}

} // namespace stowline
