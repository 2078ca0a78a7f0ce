#pragma once

#include <QString>

// Store keys of the preferences; they are the persisted form and never change.
namespace stowline::PreferenceKeys {

inline const QString captureEnabled = QStringLiteral("captureEnabled");
inline const QString historyLimit = QStringLiteral("historyLimit");
inline const QString retentionDays = QStringLiteral("retentionDays");
inline const QString instantPaste = QStringLiteral("instantPaste");
inline const QString pastePlainTextByDefault = QStringLiteral("pastePlainTextByDefault");
inline const QString launchAtLogin = QStringLiteral("launchAtLogin");
inline const QString excludedBundleIDs = QStringLiteral("excludedBundleIDs");
inline const QString privacyExclusionsEnabled = QStringLiteral("privacyExclusionsEnabled");
inline const QString shortcutConfiguration = QStringLiteral("shortcutConfiguration");
inline const QString archiveProtectionMode = QStringLiteral("archiveProtectionMode");
inline const QString previewLineCount = QStringLiteral("previewLineCount");
inline const QString previewFontSize = QStringLiteral("previewFontSize");
inline const QString inactivityCloseEnabled = QStringLiteral("inactivityCloseEnabled");
inline const QString inactivitySeconds = QStringLiteral("inactivitySeconds");
inline const QString showApplicationIdentifiers = QStringLiteral("showApplicationIdentifiers");
inline const QString appearance = QStringLiteral("appearance");
inline const QString selectedSettingsTab = QStringLiteral("selectedSettingsTab");

inline const QString preferencesSchema = QStringLiteral("preferencesSchema");
// Set by the settings window once the user has flipped the launch-at-login switch.
inline const QString launchAtLoginUserSet = QStringLiteral("launchAtLoginUserSet");
inline const QString lastFiniteHistoryLimit = QStringLiteral("lastFiniteHistoryLimit");
inline const QString lastFiniteRetentionDays = QStringLiteral("lastFiniteRetentionDays");
inline const QString lastFinitePreviewLines = QStringLiteral("lastFinitePreviewLines");
inline const QString lastProvenShortcutConfiguration = QStringLiteral("lastProvenShortcutConfiguration");
inline const QString permissionRequirementSignature = QStringLiteral("permissionRequirementSignature");
// Read once at start: in a Wayland session, keep Stowline's windows under XWayland (for desktops where that works
// better); no control in the settings window, as the change needs a restart.
inline const QString windowsThroughXWayland = QStringLiteral("windowsThroughXWayland");
// Written and read by the permission window.
inline const QString dismissedPermissionSignature = QStringLiteral("dismissedPermissionSignature");

} // namespace stowline::PreferenceKeys
