#pragma once

#include "app/preferences/SettingsPane.h"
#include "core/appearance/AppearancePreference.h"
#include "core/archive/ArchiveProtectionMode.h"

#include <QString>
#include <QtGlobal>

// The value of every preference that was never written: registered with the store at start-up, and the member
// values until then. The one place each default is written.
namespace stowline::PreferenceDefaults {

inline constexpr bool captureEnabled = true;
// 0: no limit.
inline constexpr qint64 historyLimit = 0;
// 0: kept forever.
inline constexpr qint64 retentionDays = 0;
inline constexpr bool instantPaste = false;
// Return uses plain text and Shift+Return the formatting, instead of the other way round.
inline constexpr bool pastePlainTextByDefault = false;
inline constexpr bool launchAtLogin = true;
inline constexpr bool privacyExclusionsEnabled = false;
inline constexpr ArchiveProtectionMode archiveProtectionMode = ArchiveProtectionMode::localFile;
inline constexpr qint64 previewLineCount = 4;
inline constexpr double previewFontSize = 12.0;
inline constexpr bool inactivityCloseEnabled = true;
inline constexpr double inactivitySeconds = 300.0;
inline constexpr bool showApplicationIdentifiers = false;
inline constexpr AppearancePreference appearance = AppearancePreference::system;
inline constexpr SettingsPane selectedSettingsTab = SettingsPane::general;
// Identifiers never captured from while exclusions are on, one per line.
QString excludedBundleIDs();

// What switching a "no limit" setting back gives when no positive value was remembered.
inline constexpr qint64 finiteHistoryLimit = 500;
inline constexpr qint64 finiteRetentionDays = 30;
inline constexpr qint64 finitePreviewLines = 4;

} // namespace stowline::PreferenceDefaults
