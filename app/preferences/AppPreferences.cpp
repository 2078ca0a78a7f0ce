#include "app/preferences/AppPreferences.h"

#include "app/preferences/PreferenceKeys.h"
#include "app/preferences/SettingsPane.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/policy/LoginStartupPolicy.h"
#include "core/support/AppIdentity.h"
#include "core/text/WhiteSpace.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace stowline {

namespace K = PreferenceKeys;
namespace D = PreferenceDefaults;

namespace {

constexpr double minimumPreviewFontSize = 6.0;
constexpr double maximumPreviewFontSize = 72.0;

// Line ends as the excluded-identifiers text may contain them; "\r\n" splits like one.
bool isLineSeparator(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

} // namespace

QString PreferenceDefaults::excludedBundleIDs() {
    return QStringList{
        // Password managers by their desktop-entry ids on this desktop, first where the user sees them.
        u"org.keepassxc.KeePassXC"_s,
        u"bitwarden"_s,
        u"1password"_s,
        u"org.gnome.seahorse.Application"_s,
        u"org.kde.kwalletmanager5"_s,
        // The same kind of applications by their identifiers on the other desktop, for archives brought along.
        u"com.apple.Passwords"_s,
        u"com.apple.keychainaccess"_s,
        u"com.1password.1password"_s,
        u"com.agilebits.onepassword7"_s,
        u"com.bitwarden.desktop"_s,
        u"com.lastpass.LastPass"_s,
        u"com.apple.SecurityAgent"_s,
        u"com.apple.CoreServicesUIAgent"_s,
    }
        .join(u'\n');
}

AppPreferences::AppPreferences(std::unique_ptr<PreferenceStore> defaults, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults)) {
    load();
}

AppPreferences::~AppPreferences() = default;

void AppPreferences::registerDefaults() {
    m_defaults->registerDefaults({
        {K::captureEnabled, D::captureEnabled},
        {K::historyLimit, D::historyLimit},
        {K::retentionDays, D::retentionDays},
        {K::instantPaste, D::instantPaste},
        {K::pastePlainTextByDefault, D::pastePlainTextByDefault},
        {K::launchAtLogin, D::launchAtLogin},
        {K::excludedBundleIDs, D::excludedBundleIDs()},
        {K::privacyExclusionsEnabled, D::privacyExclusionsEnabled},
        {K::archiveProtectionMode, rawValue(D::archiveProtectionMode)},
        {K::previewLineCount, D::previewLineCount},
        {K::previewFontSize, D::previewFontSize},
        {K::inactivityCloseEnabled, D::inactivityCloseEnabled},
        {K::inactivitySeconds, D::inactivitySeconds},
        {K::showApplicationIdentifiers, D::showApplicationIdentifiers},
        {K::appearance, rawValue(D::appearance)},
        {K::selectedSettingsTab, rawValue(D::selectedSettingsTab)},
    });
}

void AppPreferences::load() {
    PreferenceStore& store = *m_defaults;
    const std::optional<bool> storedLaunchAtLogin = store.storedBoolean(K::launchAtLogin);
    registerDefaults();
    const qint64 schema = store.integer(K::preferencesSchema).value_or(0);
    if (schema < 2) {
        // Every user of the first layout starts over with unlimited history, no expiry and exclusions off.
        store.setInteger(K::historyLimit, D::historyLimit);
        store.setInteger(K::retentionDays, D::retentionDays);
        store.setBoolean(K::privacyExclusionsEnabled, D::privacyExclusionsEnabled);
    }

    // Every key read below is registered, so a read only comes back empty through a damaged registration.
    m_captureEnabled = store.boolean(K::captureEnabled).value_or(D::captureEnabled);
    m_historyLimit = store.integer(K::historyLimit).value_or(D::historyLimit);
    m_retentionDays = store.integer(K::retentionDays).value_or(D::retentionDays);
    m_instantPaste = store.boolean(K::instantPaste).value_or(D::instantPaste);
    m_pastePlainTextByDefault = store.boolean(K::pastePlainTextByDefault).value_or(D::pastePlainTextByDefault);
    m_launchAtLogin = LoginStartupPolicy::initialEnabled(
        storedLaunchAtLogin, store.boolean(K::launchAtLoginUserSet).value_or(false), schema);
    m_excludedBundleIDs = store.string(K::excludedBundleIDs).value_or(D::excludedBundleIDs());
    m_privacyExclusionsEnabled = store.boolean(K::privacyExclusionsEnabled).value_or(D::privacyExclusionsEnabled);
    m_shortcut = readShortcut(schema);
    m_archiveProtectionModeID = store.string(K::archiveProtectionMode).value_or(rawValue(D::archiveProtectionMode));
    m_previewLineCount = store.integer(K::previewLineCount).value_or(D::previewLineCount);
    const double fontSize = store.real(K::previewFontSize).value_or(D::previewFontSize);
    m_previewFontSize =
        fontSize >= minimumPreviewFontSize && fontSize <= maximumPreviewFontSize ? fontSize : D::previewFontSize;
    m_inactivityCloseEnabled = store.boolean(K::inactivityCloseEnabled).value_or(D::inactivityCloseEnabled);
    m_inactivitySeconds = store.real(K::inactivitySeconds).value_or(D::inactivitySeconds);
    m_showApplicationIdentifiers = store.boolean(K::showApplicationIdentifiers).value_or(D::showApplicationIdentifiers);
    m_appearance = appearanceFromStoredValue(store.string(K::appearance));
    const QString pane = store.string(K::selectedSettingsTab).value_or(QString());
    m_selectedSettingsTabID = fromRawValue<SettingsPane>(pane) ? pane : rawValue(D::selectedSettingsTab);

    store.setInteger(K::preferencesSchema, currentSchema);
    store.setBoolean(K::launchAtLogin, m_launchAtLogin);
    writeShortcut(K::shortcutConfiguration, m_shortcut);
}

HotKeyConfiguration AppPreferences::readShortcut(qint64 schema) const {
    const auto stored = m_defaults->data(K::shortcutConfiguration);
    HotKeyConfiguration shortcut =
        stored ? HotKeyConfiguration::fromJson(*stored).value_or(HotKeyConfiguration::defaultShortcut())
               : HotKeyConfiguration::defaultShortcut();
    // Older layouts defaulted to the alternate shortcut or let a one-modifier shortcut through unasked.
    if (schema <= 2 &&
        (shortcut == HotKeyConfiguration::alternateShortcut() || shortcut.requiresAccessibilityInterception()))
        shortcut = HotKeyConfiguration::defaultShortcut();
    return shortcut;
}

void AppPreferences::writeShortcut(const QString& key, const HotKeyConfiguration& value) {
    m_defaults->setData(key, value.toJson());
}

namespace {

void write(PreferenceStore& store, const QString& key, bool value) {
    store.setBoolean(key, value);
}
void write(PreferenceStore& store, const QString& key, qint64 value) {
    store.setInteger(key, value);
}
void write(PreferenceStore& store, const QString& key, double value) {
    store.setReal(key, value);
}
void write(PreferenceStore& store, const QString& key, const QString& value) {
    store.setString(key, value);
}

} // namespace

template <typename Field, typename Signal>
void AppPreferences::assign(Field& field, const Field& value, const QString& key, Signal changed) {
    field = value;
    write(*m_defaults, key, value);
    Q_EMIT(this->*changed)(value);
}

void AppPreferences::setCaptureEnabled(bool value) {
    assign(m_captureEnabled, value, K::captureEnabled, &AppPreferences::captureEnabledChanged);
}

void AppPreferences::setHistoryLimit(qint64 value) {
    assign(m_historyLimit, value, K::historyLimit, &AppPreferences::historyLimitChanged);
}

void AppPreferences::setRetentionDays(qint64 value) {
    assign(m_retentionDays, value, K::retentionDays, &AppPreferences::retentionDaysChanged);
}

void AppPreferences::setInstantPaste(bool value) {
    assign(m_instantPaste, value, K::instantPaste, &AppPreferences::instantPasteChanged);
}

void AppPreferences::setLaunchAtLogin(bool value) {
    assign(m_launchAtLogin, value, K::launchAtLogin, &AppPreferences::launchAtLoginChanged);
}

void AppPreferences::setExcludedBundleIDs(const QString& value) {
    assign(m_excludedBundleIDs, value, K::excludedBundleIDs, &AppPreferences::excludedBundleIDsChanged);
}

void AppPreferences::setPrivacyExclusionsEnabled(bool value) {
    assign(m_privacyExclusionsEnabled, value, K::privacyExclusionsEnabled,
           &AppPreferences::privacyExclusionsEnabledChanged);
}

void AppPreferences::setShortcut(const HotKeyConfiguration& value) {
    m_shortcut = value;
    writeShortcut(K::shortcutConfiguration, value);
    Q_EMIT shortcutChanged(value);
}

void AppPreferences::setArchiveProtectionModeID(const QString& value) {
    assign(m_archiveProtectionModeID, value, K::archiveProtectionMode, &AppPreferences::archiveProtectionModeIDChanged);
}

void AppPreferences::setPreviewLineCount(qint64 value) {
    assign(m_previewLineCount, value, K::previewLineCount, &AppPreferences::previewLineCountChanged);
}

void AppPreferences::setPreviewFontSize(double value) {
    assign(m_previewFontSize, value, K::previewFontSize, &AppPreferences::previewFontSizeChanged);
}

void AppPreferences::setInactivityCloseEnabled(bool value) {
    assign(m_inactivityCloseEnabled, value, K::inactivityCloseEnabled, &AppPreferences::inactivityCloseEnabledChanged);
}

void AppPreferences::setInactivitySeconds(double value) {
    assign(m_inactivitySeconds, value, K::inactivitySeconds, &AppPreferences::inactivitySecondsChanged);
}

void AppPreferences::setPastePlainTextByDefault(bool value) {
    assign(m_pastePlainTextByDefault, value, K::pastePlainTextByDefault,
           &AppPreferences::pastePlainTextByDefaultChanged);
}

void AppPreferences::setShowApplicationIdentifiers(bool value) {
    assign(m_showApplicationIdentifiers, value, K::showApplicationIdentifiers,
           &AppPreferences::showApplicationIdentifiersChanged);
}

void AppPreferences::setAppearance(AppearancePreference value) {
    m_appearance = value;
    m_defaults->setString(K::appearance, rawValue(value));
    Q_EMIT appearanceChanged(value);
}

void AppPreferences::setSelectedSettingsTabID(const QString& value) {
    assign(m_selectedSettingsTabID, value, K::selectedSettingsTab, &AppPreferences::selectedSettingsTabIDChanged);
}

QSet<QString> AppPreferences::excludedSet() const {
    QSet<QString> result;
    const QStringView text(m_excludedBundleIDs);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isLineSeparator(text[i]))
            continue;
        // Once the line ends are split off, the remaining white space is exactly spaces and tabs.
        const QStringView piece = WhiteSpace::trimmed(text.sliced(start, i - start));
        if (!piece.isEmpty())
            result.insert(piece.toString());
        start = i + 1;
    }
    return result;
}

bool AppPreferences::shouldExclude(const QString& bundleIdentifier) const {
    if (bundleIdentifier.isEmpty())
        return false;
    if (bundleIdentifier == AppIdentity::applicationIdentifier())
        return true;
    if (!m_privacyExclusionsEnabled)
        return false;
    return excludedSet().contains(bundleIdentifier);
}

void AppPreferences::switchToNoLimit(bool noLimit, qint64 current, const QString& memoryKey, qint64 fallback,
                                     void (AppPreferences::*assign)(qint64)) {
    if (noLimit) {
        if (current >= 1)
            m_defaults->setInteger(memoryKey, current);
        (this->*assign)(0);
        return;
    }
    if (current != 0)
        return;
    const qint64 remembered = m_defaults->integer(memoryKey).value_or(0);
    (this->*assign)(remembered > 0 ? remembered : fallback);
}

void AppPreferences::setUnlimitedHistory(bool unlimited) {
    switchToNoLimit(unlimited, m_historyLimit, K::lastFiniteHistoryLimit, D::finiteHistoryLimit,
                    &AppPreferences::setHistoryLimit);
}

void AppPreferences::setForeverRetention(bool forever) {
    switchToNoLimit(forever, m_retentionDays, K::lastFiniteRetentionDays, D::finiteRetentionDays,
                    &AppPreferences::setRetentionDays);
}

void AppPreferences::setAllPreviewLines(bool all) {
    switchToNoLimit(all, m_previewLineCount, K::lastFinitePreviewLines, D::finitePreviewLines,
                    &AppPreferences::setPreviewLineCount);
}

HotKeyConfiguration AppPreferences::lastProvenShortcut() const {
    if (const auto stored = m_defaults->data(K::lastProvenShortcutConfiguration)) {
        if (const auto decoded = HotKeyConfiguration::fromJson(*stored))
            return *decoded;
    }
    return m_shortcut.requiresAccessibilityInterception() ? HotKeyConfiguration::defaultShortcut() : m_shortcut;
}

void AppPreferences::setLastProvenShortcut(const HotKeyConfiguration& value) {
    writeShortcut(K::lastProvenShortcutConfiguration, value);
}

void AppPreferences::notePermissionRequirements(const std::optional<QString>& signature) {
    if (m_defaults->string(K::permissionRequirementSignature) == signature)
        return;
    if (signature)
        m_defaults->setString(K::permissionRequirementSignature, *signature);
    else
        m_defaults->remove(K::permissionRequirementSignature);
    m_defaults->remove(K::dismissedPermissionSignature);
}

} // namespace stowline
