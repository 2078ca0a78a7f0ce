#include "app/ui/settings/PrivacySettingsPane.h"

#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryPersistence.h"
#include "app/ui/settings/SettingsSection.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/StyleMetrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace stowline {

PrivacySettingsPane::PrivacySettingsPane(SettingsContext& context, QWidget* parent)
    : QWidget(parent), m_context(context) {
    AppPreferences& preferences = context.preferences;
    QVBoxLayout* layout =
        makePaneLayout(this, Symbol::privacyPane, u"Privacy"_s, PlatformWording::text(Wording::privacyIntroduction));

    auto* protection = new SettingsSection(u"ARCHIVE PROTECTION"_s, this);
    m_keyring = makeToggle(PlatformWording::text(Wording::keychainToggle), protection);
    protection->addRow(m_keyring);
    m_protectionNote = protection->addNote(QString());
    protection->addNote(PlatformWording::text(Wording::storedOnlyHere));
    m_progress = new QWidget(protection);
    auto* progressRow = new QHBoxLayout(m_progress);
    progressRow->setContentsMargins(0, 0, 0, 0);
    auto* spinner = new QProgressBar(m_progress);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(80, 10);
    spinner->setAccessibleName(u"Re-encrypting clipboard history\u2026"_s);
    progressRow->addWidget(spinner);
    progressRow->addWidget(new QLabel(u"Re-encrypting clipboard history\u2026"_s, m_progress));
    progressRow->addStretch();
    protection->addRow(m_progress);
    connect(m_keyring, &QCheckBox::clicked, this, [this](bool on) {
        // The switch shows the stored mode; only a change that went through moves it.
        followProtection();
        if (on)
            Q_EMIT keyringRequested();
        else
            Q_EMIT protectionChangeRequested(ArchiveProtectionMode::localFile);
    });
    connect(&preferences, &AppPreferences::archiveProtectionModeIDChanged, this,
            &PrivacySettingsPane::followProtection);
    connect(&context.persistence, &HistoryPersistence::isChangingProtectionChanged, this,
            &PrivacySettingsPane::followProtection);
    followProtection();
    layout->addWidget(protection);

    auto* exclusions = new SettingsSection(u"EXCLUSIONS"_s, this);
    m_exclusions = makeToggle(u"Exclude sensitive clipboard items and selected apps"_s, exclusions);
    bindToggle(m_exclusions, preferences, &AppPreferences::privacyExclusionsEnabled,
               &AppPreferences::setPrivacyExclusionsEnabled, &AppPreferences::privacyExclusionsEnabledChanged);
    exclusions->addRow(m_exclusions);
    m_exclusionsNote = exclusions->addNote(QString(), TextSize::footnote);
    m_editor = new QPlainTextEdit(exclusions);
    m_editor->setFont(StowlineStyle::monospacedFont(TextSize::footnote));
    m_editor->setFixedHeight(SettingsMetrics::exclusionsEditorHeight);
    StowlineStyle::styleScrollBar(m_editor->verticalScrollBar());
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setAccessibleName(u"Excluded application identifiers"_s);
    m_editor->setAccessibleDescription(u"One application identifier per line"_s);
    m_editor->setPlainText(preferences.excludedBundleIDs());
    connect(m_editor, &QPlainTextEdit::textChanged, this,
            [this] { m_context.preferences.setExcludedBundleIDs(m_editor->toPlainText()); });
    connect(&preferences, &AppPreferences::excludedBundleIDsChanged, m_editor, [this](const QString& text) {
        if (text != m_editor->toPlainText())
            m_editor->setPlainText(text);
    });
    exclusions->addRow(m_editor);
    connect(&preferences, &AppPreferences::privacyExclusionsEnabledChanged, this,
            &PrivacySettingsPane::followExclusions);
    followExclusions();
    layout->addWidget(exclusions);

    auto* access = new SettingsSection(PlatformWording::text(Wording::accessSection), this);
    auto* readiness = new QLabel(u"Permission readiness"_s, access);
    access->addRow(readiness);
    access->addNote(PlatformWording::text(Wording::accessReviewNote));
    m_review = new QPushButton(u"Review Permissions\u2026"_s, access);
    m_review->setAccessibleName(u"Review Permissions"_s);
    auto* reviewRow = new QWidget(access);
    auto* reviewLayout = new QHBoxLayout(reviewRow);
    reviewLayout->setContentsMargins(0, 0, 0, 0);
    reviewLayout->addWidget(m_review);
    reviewLayout->addStretch();
    access->addRow(reviewRow);
    connect(m_review, &QPushButton::clicked, this, [this] {
        if (m_context.reviewPermissions)
            m_context.reviewPermissions();
    });
    layout->addWidget(access);
    layout->addStretch();
}

void PrivacySettingsPane::followProtection() {
    const bool keyring = protectionModeFromStoredValue(m_context.preferences.archiveProtectionModeID()) ==
                         ArchiveProtectionMode::keychain;
    const bool changing = m_context.persistence.isChangingProtection();
    m_keyring->setChecked(keyring);
    // One change at a time: the switch waits for the move under way.
    m_keyring->setEnabled(!changing);
    m_protectionNote->setText(
        PlatformWording::text(keyring ? Wording::keychainProtectionNote : Wording::localFileProtectionNote));
    m_progress->setVisible(changing);
}

void PrivacySettingsPane::followExclusions() {
    const bool on = m_context.preferences.privacyExclusionsEnabled();
    m_exclusionsNote->setText(on ? u"Active. Concealed clipboard values and one bundle identifier per line are "
                                   u"skipped."_s
                                 : u"Inactive by default, so password-manager clipboard values remain available. "
                                   u"The list is preserved for opt-in use."_s);
    m_editor->setEnabled(on);
}

} // namespace stowline
