#pragma once

#include <QString>

namespace stowline {

// Texts whose original wording names the Mac. Every other text is used as written; these go through here so a
// build for that platform could return the originals. Shortcut display texts are HotKeyConfiguration's.
enum class Wording {
    appearanceFollowsSystem,      // "Follows the current macOS appearance."
    appearanceOverridesSystem,    // "Overrides macOS for Stowline only."
    permissionNeeded,             // "One macOS permission is needed for your current settings."
    permissionCompleteInSettings, // "Complete the change in the macOS prompt or System Settings, then ..."
    permissionRequestButton,      // "Open macOS Permission"
    emptyHistoryMessage,          // "... encrypted on this Mac."
    accessSection,                // "MACOS ACCESS"
    identifiersNote,              // "Adds technical identifiers such as com.apple.Preview beneath each clip. ..."
    keychainToggle,               // "Protect encryption key with macOS Keychain"
    keychainAlertTitle,           // "Enable Keychain protection?"
    keychainAlertMessage,         // "Stowline will move its encryption key into macOS Keychain and ..."
    keychainProtectionNote,       // "Stronger protection is enabled. macOS may ask for your password ..."
    localFileProtectionNote,      // "... Someone with access to your Mac account files could recover its local key."
    storedOnlyHere,               // "AES-256-GCM encrypted • Stored only on this Mac"
    privacyIntroduction,          // "Local encryption, exclusions, and macOS access."
    shortcutNote,                 // "... Single-modifier shortcuts such as Option-U need Accessibility ..."
};

namespace PlatformWording {

QString text(Wording wording);

} // namespace PlatformWording

} // namespace stowline
