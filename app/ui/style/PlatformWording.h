#pragma once

#include "core/permission/DesktopReadiness.h"

#include <QString>

namespace stowline {

// Texts that name the desktop platform, its permission, its keyring or its settings. Every other text is used as
// written; these go through here, so each platform words them for its own desktop. Shortcut display texts are
// HotKeyConfiguration's.
enum class Wording {
    appearanceFollowsSystem,      // below the appearance choice while it follows the desktop
    appearanceOverridesSystem,    // below it while it is forced light or dark
    permissionNeeded,             // the permission window's first sentence
    permissionCompleteInSettings, // where the user completes a request
    permissionRequestButton,      // the permission window's primary button
    emptyHistoryMessage,          // the empty panel's message
    pausedHistoryMessage,         // the paused panel's message: where capture is resumed
    accessSection,                // the privacy pane's permission section title
    identifiersNote,              // the note under "Show application identifiers in history"
    keychainToggle,               // the privacy pane's protection switch
    keychainAlertTitle,           // the confirmation before moving the key into the keyring
    keychainAlertMessage,
    keychainProtectionNote,  // below the switch while the keyring holds the key
    localFileProtectionNote, // below it while the key file does
    storedOnlyHere,          // where the archive lives
    privacyIntroduction,     // the privacy pane's introduction
    shortcutNote,            // the note under the global shortcut
    instantPasteNote,        // the note under "Paste directly into the previous app"
    accessReviewNote,        // beside "Review Permissions…"
    permissionName,          // the permission's own name, as the permission window lists it
    shortcutNeedsPermission, // "<shortcut> needs …", completed by the shortcut the user keeps
    permissionNotNeeded,     // the permission window opened for review while nothing needs the permission
};

namespace PlatformWording {

QString text(Wording wording);
// The readiness window's lines about a Wayland desktop: what a piece does, and the step that gets a missing one.
QString featureName(DesktopReadiness::Feature feature);
QString stepText(DesktopReadiness::Step step);

} // namespace PlatformWording

} // namespace stowline
