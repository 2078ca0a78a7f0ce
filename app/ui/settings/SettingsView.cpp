#include "app/ui/settings/SettingsView.h"

#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/ui/settings/GeneralSettingsPane.h"
#include "app/ui/settings/HistorySettingsPane.h"
#include "app/ui/settings/PrivacySettingsPane.h"
#include "app/ui/settings/SettingsSection.h"
#include "app/ui/settings/ShortcutsSettingsPane.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/widgets/SegmentedControl.h"
#include "app/ui/style/StyleMetrics.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

constexpr int alertWidth = 380;

QWidget* scrolling(QWidget* pane, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setWidget(pane);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StowlineStyle::styleScrollBar(area->verticalScrollBar());
    pane->setContentsMargins(SettingsMetrics::paneInset);
    return area;
}

} // namespace

QString SettingsView::errorAlertTitle() {
    return u"Settings"_s;
}

QString SettingsView::protectionFailedMessage() {
    return u"Stowline could not change history protection. Your existing archive was left unchanged."_s;
}

QString SettingsView::clearAllTitle() {
    return u"Clear all clipboard history?"_s;
}

QString SettingsView::clearAllMessage() {
    return u"This permanently removes every saved clip, including favorites. This cannot be undone."_s;
}

SettingsView::SettingsView(SettingsContext& context, SettingsPane initialPane, QWidget* parent)
    : QWidget(parent), m_context(context), m_selectedPane(initialPane) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(SettingsMetrics::view);
    layout->setSpacing(SettingsMetrics::viewSpacing);

    QStringList titles;
    for (SettingsPane pane : EnumTraits<SettingsPane>::cases)
        titles.append(title(pane));
    m_selector = new SegmentedControl(titles, u"Settings section"_s, this);
    // The tabs in the middle, About at the end of their row: the panes keep the height of the window.
    m_aboutButton = new QPushButton(u"About Stowline"_s, this);
    m_aboutButton->setAccessibleName(u"About Stowline"_s);
    m_aboutButton->setFlat(true);
    auto* selectorRow = new QGridLayout;
    selectorRow->setContentsMargins(SettingsMetrics::selectorRow);
    selectorRow->addWidget(m_selector, 0, 0, Qt::AlignHCenter);
    selectorRow->addWidget(m_aboutButton, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(selectorRow);

    m_storeMessage = new QLabel(this);
    m_storeMessage->setWordWrap(true);
    m_storeMessage->setContentsMargins(SettingsMetrics::message);
    m_storeMessage->setAccessibleName(u"Stowline message"_s);
    paintTextIn(m_storeMessage, StyleRole::systemRed);
    layout->addWidget(m_storeMessage);
    connect(&context.notices, &Notices::changed, this, &SettingsView::followStoreMessage);
    followStoreMessage();

    m_stack = new QStackedWidget(this);
    m_general = new GeneralSettingsPane(context);
    m_history = new HistorySettingsPane(context);
    m_privacy = new PrivacySettingsPane(context);
    m_shortcuts = new ShortcutsSettingsPane(context);
    for (QWidget* pane : {static_cast<QWidget*>(m_general), static_cast<QWidget*>(m_history),
                          static_cast<QWidget*>(m_privacy), static_cast<QWidget*>(m_shortcuts)})
        m_stack->addWidget(scrolling(pane, m_stack));
    layout->addWidget(m_stack, 1);

    connect(m_selector, &SegmentedControl::activated, this,
            [this](int index) { selectPane(EnumTraits<SettingsPane>::cases[static_cast<size_t>(index)]); });
    connect(m_general, &GeneralSettingsPane::failed, this, &SettingsView::showError);
    connect(m_history, &HistorySettingsPane::clearAllRequested, this, &SettingsView::confirmClearAll);
    connect(m_privacy, &PrivacySettingsPane::keyringRequested, this, &SettingsView::confirmKeyring);
    connect(m_privacy, &PrivacySettingsPane::protectionChangeRequested, this, &SettingsView::changeProtection);
    connect(m_aboutButton, &QPushButton::clicked, this, &SettingsView::showAbout);
    showPane(initialPane);
}

void SettingsView::selectPane(SettingsPane pane) {
    m_context.preferences.setSelectedSettingsTabID(rawValue(pane));
    showPane(pane);
    Q_EMIT selectedPaneChanged(pane);
}

void SettingsView::showPane(SettingsPane pane) {
    m_selectedPane = pane;
    const int index = static_cast<int>(pane);
    m_selector->setCurrentIndex(index);
    m_stack->setCurrentIndex(index);
}

void SettingsView::followStoreMessage() {
    const std::optional<UserMessage>& message = m_context.notices.current();
    m_storeMessage->setText(message ? message->text : QString());
    m_storeMessage->setVisible(message && !message->text.isEmpty());
}

QMessageBox* SettingsView::makeAlert(const QString& title, const QString& message) {
    auto* alert = new QMessageBox(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::NoIcon);
    alert->setWindowTitle(title);
    alert->setText(u"<b>"_s + title.toHtmlEscaped() + u"</b>"_s);
    alert->setTextFormat(Qt::RichText);
    alert->setInformativeText(message);
    alert->setAccessibleName(title);
    m_alert = alert;
    return alert;
}

void SettingsView::present(QMessageBox* alert) {
    // A message box sizes itself to its buttons and lays itself out again on every change; a sentence or two
    // reads better on a wider box, so the width is set last.
    if (auto* grid = qobject_cast<QGridLayout*>(alert->layout())) {
        grid->addItem(new QSpacerItem(alertWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    alert->open();
}

void SettingsView::showError(const QString& message) {
    m_launchError = message;
    QMessageBox* alert = makeAlert(errorAlertTitle(), message);
    alert->setIcon(QMessageBox::Warning);
    alert->addButton(u"OK"_s, QMessageBox::AcceptRole);
    connect(alert, &QMessageBox::finished, this, [this] { m_launchError.reset(); });
    present(alert);
}

void SettingsView::confirmClearAll() {
    QMessageBox* alert = makeAlert(clearAllTitle(), clearAllMessage());
    alert->setIcon(QMessageBox::Warning);
    QPushButton* cancel = alert->addButton(u"Cancel"_s, QMessageBox::RejectRole);
    QPushButton* clear = alert->addButton(u"Clear All"_s, QMessageBox::DestructiveRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(clear, &QPushButton::clicked, this, [this] { m_context.store.clear(ClearScope::everything); });
    present(alert);
}

void SettingsView::confirmKeyring() {
    QMessageBox* alert = makeAlert(PlatformWording::text(Wording::keychainAlertTitle),
                                   PlatformWording::text(Wording::keychainAlertMessage));
    QPushButton* cancel = alert->addButton(u"Cancel"_s, QMessageBox::RejectRole);
    QPushButton* enable = alert->addButton(u"Enable"_s, QMessageBox::AcceptRole);
    alert->setDefaultButton(enable);
    alert->setEscapeButton(cancel);
    connect(enable, &QPushButton::clicked, this, [this] { changeProtection(ArchiveProtectionMode::keychain); });
    present(alert);
}

void SettingsView::changeProtection(ArchiveProtectionMode mode) {
    AppPreferences& preferences = m_context.preferences;
    // The move finishes on the save queue; the preference follows it even when this view is gone by then.
    m_context.persistence.changeProtection(
        mode, [&preferences, view = QPointer<SettingsView>(this), mode](Status<ArchiveStoreError> status) {
            if (status.ok()) {
                preferences.setArchiveProtectionModeID(rawValue(mode));
                return;
            }
            if (view)
                view->showError(protectionFailedMessage());
        });
}

void SettingsView::showAbout() {
    QMessageBox* about = makeAlert(u"About Stowline"_s, QString());
    about->setWindowModality(Qt::NonModal);
    about->setText(u"<b>Stowline</b><br>Version "_s + QStringLiteral(STOWLINE_VERSION));
    about->setInformativeText(
        u"Keeps everything you copy in a searchable history, encrypted on this computer.\n\n"
        u"© 2026 The Stowline developers. All rights reserved: no licence to copy, modify or redistribute "
        u"Stowline has been granted yet."_s);
    about->addButton(u"OK"_s, QMessageBox::AcceptRole);
    present(about);
}

} // namespace stowline
