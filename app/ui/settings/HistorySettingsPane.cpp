#include "app/ui/settings/HistorySettingsPane.h"

#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/ui/settings/NumericPreferenceField.h"
#include "app/ui/settings/SettingsSection.h"
#include "app/ui/settings/StorageSummary.h"
#include "app/ui/style/PlatformWording.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

// A "no limit" switch followed, while it is off, by the field of the finite value: the switch is on while the
// preference is 0.
ExactPositiveIntegerField*
addLimit(SettingsSection* section, QCheckBox* toggle, AppPreferences& preferences,
         qint64 (AppPreferences::*get)() const, std::function<void(qint64)> set,
         void (AppPreferences::*setNoLimit)(bool), void (AppPreferences::*changed)(qint64), const QString& unit,
         const QString& accessibleName,
         ExactPositiveIntegerField::Stores stores = ExactPositiveIntegerField::Stores::whileTyping) {
    section->addRow(toggle);
    auto* field = new ExactPositiveIntegerField([&preferences, get] { return (preferences.*get)(); }, std::move(set),
                                                unit, accessibleName, section, stores);
    field->setContentsMargins(24, 0, 0, 0);
    section->addRow(field);
    const auto follow = [toggle, field, &preferences, get] {
        const qint64 value = (preferences.*get)();
        toggle->setChecked(value == 0);
        field->setVisible(value != 0);
        field->valueChanged();
    };
    follow();
    QObject::connect(toggle, &QCheckBox::clicked, toggle,
                     [&preferences, setNoLimit](bool noLimit) { (preferences.*setNoLimit)(noLimit); });
    QObject::connect(&preferences, changed, field, follow);
    return field;
}

} // namespace

HistorySettingsPane::HistorySettingsPane(SettingsContext& context, QWidget* parent)
    : QWidget(parent), m_context(context) {
    AppPreferences& preferences = context.preferences;
    QVBoxLayout* layout = makePaneLayout(this, Symbol::historyPane, u"History"_s,
                                         u"Control your permanent clipboard library and its presentation."_s);

    auto* library = new SettingsSection(u"LIBRARY"_s, this);
    m_keepForever = makeToggle(u"Keep forever"_s, library);
    m_days = addLimit(
        library, m_keepForever, preferences, &AppPreferences::retentionDays,
        [&preferences](qint64 days) { preferences.setRetentionDays(days); }, &AppPreferences::setForeverRetention,
        &AppPreferences::retentionDaysChanged, u"days"_s, u"History retention in days"_s);
    m_unlimitedItems = makeToggle(u"Unlimited items"_s, library);
    // Stored when the field commits, and only once the user agreed to lose the clips it would remove.
    m_items = addLimit(
        library, m_unlimitedItems, preferences, &AppPreferences::historyLimit,
        [this](qint64 limit) { confirmHistoryLimit(limit); }, &AppPreferences::setUnlimitedHistory,
        &AppPreferences::historyLimitChanged, u"items"_s, u"Maximum clipboard items"_s,
        ExactPositiveIntegerField::Stores::onCommit);
    layout->addWidget(library);

    auto* previews = new SettingsSection(u"PREVIEWS"_s, this);
    QCheckBox* identifiers = makeToggle(u"Show application identifiers in history"_s, previews);
    bindToggle(identifiers, preferences, &AppPreferences::showApplicationIdentifiers,
               &AppPreferences::setShowApplicationIdentifiers, &AppPreferences::showApplicationIdentifiersChanged);
    previews->addRow(identifiers);
    previews->addNote(PlatformWording::text(Wording::identifiersNote));
    m_allLines = makeToggle(u"Show all text lines"_s, previews);
    m_lines = addLimit(
        previews, m_allLines, preferences, &AppPreferences::previewLineCount,
        [&preferences](qint64 lines) { preferences.setPreviewLineCount(lines); }, &AppPreferences::setAllPreviewLines,
        &AppPreferences::previewLineCountChanged, u"lines"_s, u"Text preview line count"_s);
    m_fontSize = new ExactFontSizeField([&preferences] { return preferences.previewFontSize(); },
                                        [&preferences](double points) { preferences.setPreviewFontSize(points); });
    connect(&preferences, &AppPreferences::previewFontSizeChanged, m_fontSize, &NumericPreferenceField::valueChanged);
    previews->addLabelledRow(u"Text preview font size"_s, m_fontSize);
    layout->addWidget(previews);

    auto* storage = new SettingsSection(u"STORAGE"_s, this);
    m_summary = new StorageSummary(context.store, context.persistence, storage);
    storage->addRow(m_summary);
    auto* buttons = new QWidget(storage);
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 4, 0, 0);
    m_clearNonFavorites = new QPushButton(u"Clear non-favorites"_s, buttons);
    m_clearNonFavorites->setAccessibleName(u"Clear non-favorites"_s);
    m_clearAll = new QPushButton(u"Clear all\u2026"_s, buttons);
    m_clearAll->setAccessibleName(u"Clear all"_s);
    buttonRow->addWidget(m_clearNonFavorites);
    buttonRow->addWidget(m_clearAll);
    buttonRow->addStretch();
    storage->addRow(buttons);
    storage->addNote(u"Linked files stay in their original locations; capture-time file sizes appear on individual "
                     u"history rows."_s);
    connect(m_clearNonFavorites, &QPushButton::clicked, this,
            [this] { m_context.store.clear(ClearScope::keepingFavorites); });
    connect(m_clearAll, &QPushButton::clicked, this, &HistorySettingsPane::clearAllRequested);
    layout->addWidget(storage);
    layout->addStretch();
}

void HistorySettingsPane::confirmHistoryLimit(qint64 limit) {
    AppPreferences& preferences = m_context.preferences;
    const qsizetype removed = m_context.store.publishedHistory()->countBeyondLimit(limit);
    if (removed == 0) {
        preferences.setHistoryLimit(limit);
        return;
    }
    auto* alert = new QMessageBox(this);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(u"Settings"_s);
    alert->setText(removed == 1 ? u"Remove 1 clip?"_s : u"Remove %1 clips?"_s.arg(removed));
    alert->setInformativeText(
        u"A limit of %1 items removes the oldest clips that are not favorites now. This cannot be undone."_s.arg(
            limit));
    QPushButton* cancel = alert->addButton(u"Cancel"_s, QMessageBox::RejectRole);
    QPushButton* remove = alert->addButton(u"Remove"_s, QMessageBox::DestructiveRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(remove, &QPushButton::clicked, this, [this, limit] {
        m_context.preferences.setHistoryLimit(limit);
        // Applied now, as the user was told, rather than at the next copy.
        m_context.store.applyHistoryLimit(limit);
    });
    connect(alert, &QMessageBox::finished, m_items, [items = m_items] { items->valueChanged(); });
    m_pendingLimitAlert = alert;
    alert->open();
}

} // namespace stowline
