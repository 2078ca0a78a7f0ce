#pragma once

#include "app/preferences/PreferenceDefaults.h"
#include "app/preferences/PreferenceStore.h"
#include "core/appearance/AppearancePreference.h"
#include "core/shortcut/HotKeyConfiguration.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace stowline {

// Every user setting, read once at start-up (registering the defaults and migrating older layouts) and written
// through to the store on every assignment. Each assignment is announced, also one that repeats the current
// value: the start-up wiring relies on every write of the shortcut reaching its subscribers.
class AppPreferences : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool captureEnabled READ captureEnabled WRITE setCaptureEnabled NOTIFY captureEnabledChanged)
    Q_PROPERTY(qint64 historyLimit READ historyLimit WRITE setHistoryLimit NOTIFY historyLimitChanged)
    Q_PROPERTY(qint64 retentionDays READ retentionDays WRITE setRetentionDays NOTIFY retentionDaysChanged)
    Q_PROPERTY(bool instantPaste READ instantPaste WRITE setInstantPaste NOTIFY instantPasteChanged)
    Q_PROPERTY(bool pastePlainTextByDefault READ pastePlainTextByDefault WRITE setPastePlainTextByDefault NOTIFY
                   pastePlainTextByDefaultChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(
        QString excludedBundleIDs READ excludedBundleIDs WRITE setExcludedBundleIDs NOTIFY excludedBundleIDsChanged)
    Q_PROPERTY(bool privacyExclusionsEnabled READ privacyExclusionsEnabled WRITE setPrivacyExclusionsEnabled NOTIFY
                   privacyExclusionsEnabledChanged)
    Q_PROPERTY(stowline::HotKeyConfiguration shortcut READ shortcut WRITE setShortcut NOTIFY shortcutChanged)
    Q_PROPERTY(QString archiveProtectionModeID READ archiveProtectionModeID WRITE setArchiveProtectionModeID NOTIFY
                   archiveProtectionModeIDChanged)
    Q_PROPERTY(qint64 previewLineCount READ previewLineCount WRITE setPreviewLineCount NOTIFY previewLineCountChanged)
    Q_PROPERTY(double previewFontSize READ previewFontSize WRITE setPreviewFontSize NOTIFY previewFontSizeChanged)
    Q_PROPERTY(bool inactivityCloseEnabled READ inactivityCloseEnabled WRITE setInactivityCloseEnabled NOTIFY
                   inactivityCloseEnabledChanged)
    Q_PROPERTY(
        double inactivitySeconds READ inactivitySeconds WRITE setInactivitySeconds NOTIFY inactivitySecondsChanged)
    Q_PROPERTY(bool showApplicationIdentifiers READ showApplicationIdentifiers WRITE setShowApplicationIdentifiers
                   NOTIFY showApplicationIdentifiersChanged)
    Q_PROPERTY(stowline::AppearancePreference appearance READ appearance WRITE setAppearance NOTIFY appearanceChanged)
    Q_PROPERTY(QString selectedSettingsTabID READ selectedSettingsTabID WRITE setSelectedSettingsTabID NOTIFY
                   selectedSettingsTabIDChanged)

public:
    // The preference layout this version writes.
    static constexpr qint64 currentSchema = 4;

    explicit AppPreferences(std::unique_ptr<PreferenceStore> defaults, QObject* parent = nullptr);
    ~AppPreferences() override;

    PreferenceStore& defaults() { return *m_defaults; }

    bool captureEnabled() const { return m_captureEnabled; }
    qint64 historyLimit() const { return m_historyLimit; }
    qint64 retentionDays() const { return m_retentionDays; }
    bool instantPaste() const { return m_instantPaste; }
    bool pastePlainTextByDefault() const { return m_pastePlainTextByDefault; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    QString excludedBundleIDs() const { return m_excludedBundleIDs; }
    bool privacyExclusionsEnabled() const { return m_privacyExclusionsEnabled; }
    HotKeyConfiguration shortcut() const { return m_shortcut; }
    QString archiveProtectionModeID() const { return m_archiveProtectionModeID; }
    qint64 previewLineCount() const { return m_previewLineCount; }
    double previewFontSize() const { return m_previewFontSize; }
    bool inactivityCloseEnabled() const { return m_inactivityCloseEnabled; }
    double inactivitySeconds() const { return m_inactivitySeconds; }
    bool showApplicationIdentifiers() const { return m_showApplicationIdentifiers; }
    AppearancePreference appearance() const { return m_appearance; }
    QString selectedSettingsTabID() const { return m_selectedSettingsTabID; }

    // No range checks here: the settings fields validate what they accept.
    void setCaptureEnabled(bool value);
    void setHistoryLimit(qint64 value);
    void setRetentionDays(qint64 value);
    void setInstantPaste(bool value);
    void setPastePlainTextByDefault(bool value);
    void setLaunchAtLogin(bool value);
    void setExcludedBundleIDs(const QString& value);
    void setPrivacyExclusionsEnabled(bool value);
    void setShortcut(const HotKeyConfiguration& value);
    void setArchiveProtectionModeID(const QString& value);
    void setPreviewLineCount(qint64 value);
    void setPreviewFontSize(double value);
    void setInactivityCloseEnabled(bool value);
    void setInactivitySeconds(double value);
    void setShowApplicationIdentifiers(bool value);
    void setAppearance(AppearancePreference value);
    void setSelectedSettingsTabID(const QString& value);

    // The excluded identifiers, one per line, trimmed of spaces and tabs, without empty lines.
    QSet<QString> excludedSet() const;
    // The application's own copies always; others only by exact identifier while exclusions are on.
    bool shouldExclude(const QString& bundleIdentifier) const;

    // Switch to the "no limit" value 0, remembering the last positive value, and back to it.
    void setUnlimitedHistory(bool unlimited);
    void setForeverRetention(bool forever);
    void setAllPreviewLines(bool all);

    // The last shortcut known to work.
    HotKeyConfiguration lastProvenShortcut() const;
    void setLastProvenShortcut(const HotKeyConfiguration& value);

    // A new signature of required permissions forgets that the user dismissed the prompt for older ones.
    void notePermissionRequirements(const std::optional<QString>& signature);

Q_SIGNALS:
    void captureEnabledChanged(bool value);
    void historyLimitChanged(qint64 value);
    void retentionDaysChanged(qint64 value);
    void instantPasteChanged(bool value);
    void pastePlainTextByDefaultChanged(bool value);
    void launchAtLoginChanged(bool value);
    void excludedBundleIDsChanged(const QString& value);
    void privacyExclusionsEnabledChanged(bool value);
    void shortcutChanged(const stowline::HotKeyConfiguration& value);
    void archiveProtectionModeIDChanged(const QString& value);
    void previewLineCountChanged(qint64 value);
    void previewFontSizeChanged(double value);
    void inactivityCloseEnabledChanged(bool value);
    void inactivitySecondsChanged(double value);
    void showApplicationIdentifiersChanged(bool value);
    void appearanceChanged(stowline::AppearancePreference value);
    void selectedSettingsTabIDChanged(const QString& value);

private:
    void load();
    void registerDefaults();
    HotKeyConfiguration readShortcut(qint64 schema) const;
    void writeShortcut(const QString& key, const HotKeyConfiguration& value);
    // Stores a plain value under its key, keeps it and announces it: what every simple setter does.
    template <typename Field, typename Signal>
    void assign(Field& field, const Field& value, const QString& key, Signal changed);
    void switchToNoLimit(bool noLimit, qint64 current, const QString& memoryKey, qint64 fallback,
                         void (AppPreferences::*assign)(qint64));

    std::unique_ptr<PreferenceStore> m_defaults;
    // Every field is read in `load`; the defaults only matter if a reader ran first.
    bool m_captureEnabled = PreferenceDefaults::captureEnabled;
    qint64 m_historyLimit = PreferenceDefaults::historyLimit;
    qint64 m_retentionDays = PreferenceDefaults::retentionDays;
    bool m_instantPaste = PreferenceDefaults::instantPaste;
    bool m_pastePlainTextByDefault = PreferenceDefaults::pastePlainTextByDefault;
    bool m_launchAtLogin = PreferenceDefaults::launchAtLogin;
    QString m_excludedBundleIDs;
    bool m_privacyExclusionsEnabled = PreferenceDefaults::privacyExclusionsEnabled;
    HotKeyConfiguration m_shortcut;
    QString m_archiveProtectionModeID;
    qint64 m_previewLineCount = PreferenceDefaults::previewLineCount;
    double m_previewFontSize = PreferenceDefaults::previewFontSize;
    bool m_inactivityCloseEnabled = PreferenceDefaults::inactivityCloseEnabled;
    double m_inactivitySeconds = PreferenceDefaults::inactivitySeconds;
    bool m_showApplicationIdentifiers = PreferenceDefaults::showApplicationIdentifiers;
    AppearancePreference m_appearance = PreferenceDefaults::appearance;
    QString m_selectedSettingsTabID;
};

} // namespace stowline
