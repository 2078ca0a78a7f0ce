#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace stowline {

// What a Wayland session lets Stowline do, as the compositor announced it and as the running services found it.
struct DesktopFacts {
    // XDG_CURRENT_DESKTOP's first entry, or what the session's own variables name (SWAYSOCK: "sway",
    // HYPRLAND_INSTANCE_SIGNATURE: "Hyprland"); empty when unknown.
    QString desktop;
    // The clipboard is read, through data-control or through XWayland.
    bool capture = false;
    // The compositor says which window is active.
    bool sourceApplication = false;
    // A global shortcut reaches Stowline without a binding of the user's.
    bool shortcut = false;
    // A paste keystroke can be typed.
    bool paste = false;
};

// The four pieces the readiness window shows for a Wayland session, each working or not, and the one step the
// user can take for a missing one.
namespace DesktopReadiness {

enum class Feature { capture, sourceApplication, shortcut, paste };

enum class Step {
    none,
    cosmicDataControl,   // start COSMIC with COSMIC_DATA_CONTROL_ENABLED=1
    noDataControl,       // the desktop does not let clipboard managers read the clipboard
    kdeDesktopEntry,     // KDE grants the window list and fake input to the installed desktop entry only
    noWindowTracking,    // the desktop does not say which window is active
    bindSway,            // a bindsym line in the Sway configuration
    bindHyprland,        // a bind line in the Hyprland configuration
    gnomeCustomShortcut, // a custom shortcut, which Stowline offers to create in GNOME's settings
    kdeShortcut,         // System Settings, Shortcuts
    desktopShortcut,     // the desktop's keyboard settings
    pasteYourself,       // the clip is on the clipboard: paste with Ctrl+V
};

struct Row {
    Feature feature;
    bool working = false;
    Step step = Step::none;

    friend bool operator==(const Row&, const Row&) = default;
};

// One row per feature, in the order of `Feature`.
QList<Row> rows(const DesktopFacts& facts);
// The configuration line a button copies for the step; nothing for steps without one. `program` is the command
// that toggles the panel.
std::optional<QString> command(Step step, const QString& program);

} // namespace DesktopReadiness

} // namespace stowline
