#pragma once

#include <QString>

namespace stowline {

// A custom keyboard shortcut in GNOME's settings (GSettings, under
// org.gnome.settings-daemon.plugins.media-keys), which GNOME runs whichever window has the keyboard.
namespace GnomeCustomShortcut {

// GNOME's settings schemas are installed.
bool isAvailable();
// Makes (or updates) Stowline's own entry running `command` on `binding` ("<Shift><Super>v") and adds it to the
// list GNOME reads, keeping the user's other entries; false when the schemas are missing.
bool create(const QString& command, const QString& binding);

} // namespace GnomeCustomShortcut

} // namespace stowline
