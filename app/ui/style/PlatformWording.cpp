#include "app/ui/style/PlatformWording.h"

#include <array>

namespace stowline::PlatformWording {

namespace {

struct Entry {
    Wording wording;
    const char16_t* localText;
};

constexpr std::array<Entry, 22> table{{
    {Wording::appearanceFollowsSystem, u"Follows the current desktop appearance."},
    {Wording::appearanceOverridesSystem, u"Overrides the desktop for Stowline only."},
    {Wording::permissionNeeded, u"One desktop permission is needed for your current settings."},
    {Wording::permissionCompleteInSettings,
     u"Complete the change in your desktop's settings, then return to Stowline. This window checks again "
     u"automatically."},
    {Wording::permissionRequestButton, u"Check Again"},
    {Wording::emptyHistoryMessage,
     u"Text, links, images, files, and credentials will appear here\u2014encrypted on this computer."},
    {Wording::pausedHistoryMessage, u"Resume from the tray when you\u2019re ready."},
    {Wording::accessSection, u"DESKTOP ACCESS"},
    {Wording::identifiersNote,
     u"Adds technical identifiers such as org.gnome.Loupe beneath each clip. Off by default."},
    {Wording::keychainToggle, u"Protect encryption key with the system keyring"},
    {Wording::keychainAlertTitle, u"Enable keyring protection?"},
    {Wording::keychainAlertMessage,
     u"Stowline will move its encryption key into the system keyring and re-encrypt your history. The desktop may "
     u"ask for your account password now or on later access."},
    {Wording::keychainProtectionNote,
     u"Stronger protection is enabled. The desktop may ask for your password when Stowline accesses the key."},
    {Wording::localFileProtectionNote,
     u"Standard protection avoids password prompts and protects against casual inspection. Someone with access to "
     u"your account files on this computer could recover its local key."},
    {Wording::storedOnlyHere, u"AES-256-GCM encrypted \u2022 Stored only on this computer"},
    {Wording::privacyIntroduction, u"Local encryption, exclusions, and desktop access."},
    {Wording::shortcutNote,
     u"Click the shortcut, then type modifier key(s) plus one key. Escape cancels. Single-modifier shortcuts such as "
     u"Alt+U need paste access for reliable interception; multi-modifier shortcuts do not."},
    {Wording::instantPasteNote,
     u"Uses the desktop's paste access when available; otherwise Return safely copies the clip."},
    {Wording::accessReviewNote, u"Review what instant paste and one-modifier shortcuts need on this desktop\u2026"},
    {Wording::permissionName, u"Paste access"},
    {Wording::shortcutNeedsPermission, u"%1 needs paste access. Allow it to use this shortcut, or keep %2."},
    {Wording::permissionNotNeeded,
     u"Nothing in your current settings needs paste access on this desktop, and Return copies the selected clip."},
}};

const Entry& entry(Wording wording) {
    for (const Entry& e : table) {
        if (e.wording == wording)
            return e;
    }
    Q_UNREACHABLE();
}

} // namespace

QString text(Wording wording) {
    return QString::fromUtf16(entry(wording).localText);
}

QString featureName(DesktopReadiness::Feature feature) {
    using Feature = DesktopReadiness::Feature;
    switch (feature) {
    case Feature::capture:
        return QStringLiteral("Clipboard capture");
    case Feature::sourceApplication:
        return QStringLiteral("Source application of each copy");
    case Feature::shortcut:
        return QStringLiteral("Global shortcut");
    case Feature::paste:
        return QStringLiteral("Paste into the previous app");
    }
    return {};
}

QString stepText(DesktopReadiness::Step step) {
    using Step = DesktopReadiness::Step;
    switch (step) {
    case Step::none:
        return QStringLiteral("Works on this desktop.");
    case Step::cosmicDataControl:
        return QStringLiteral("Start the COSMIC session with COSMIC_DATA_CONTROL_ENABLED=1 set in its environment, "
                              "then start Stowline again.");
    case Step::noDataControl:
        return QStringLiteral("This desktop does not let clipboard managers read the clipboard.");
    case Step::kdeDesktopEntry:
        return QStringLiteral("KDE Plasma allows this only to the installed Stowline: start it from the application "
                              "launcher or its installed path.");
    case Step::noWindowTracking:
        return QStringLiteral("This desktop does not tell applications which window is active, so clips are kept "
                              "without their source.");
    case Step::bindSway:
        return QStringLiteral("Add this line to your Sway configuration, then reload Sway:");
    case Step::bindHyprland:
        return QStringLiteral("Add this line to your Hyprland configuration:");
    case Step::gnomeCustomShortcut:
        return QStringLiteral("Add a custom shortcut that runs \"stowline toggle\" in Settings, Keyboard, or let "
                              "Stowline add Shift+Super+V for you.");
    case Step::kdeShortcut:
        return QStringLiteral("In System Settings, Shortcuts, add a command shortcut that runs \"stowline toggle\".");
    case Step::desktopShortcut:
        return QStringLiteral("Bind the command \"stowline toggle\" to a shortcut in your desktop's keyboard "
                              "settings.");
    case Step::pasteYourself:
        return QStringLiteral("This desktop offers no way to type the paste for you: the clip is on the clipboard, "
                              "paste it with Ctrl+V.");
    }
    return {};
}

} // namespace stowline::PlatformWording
