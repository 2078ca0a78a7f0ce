#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

#include <optional>

namespace stowline {

// The [Desktop Entry] group of an installed application's .desktop file. Qt has no reader for this format (its
// INI reader treats ';' lists, '[' in keys and the escapes differently), so this small one reads the keys we use.
class DesktopEntry {
public:
    // Looks the desktop file id ("org.gnome.TextEditor") up in the applications folders of the XDG data dirs.
    static std::optional<DesktopEntry> find(const QString& desktopId);
    static DesktopEntry parse(QByteArrayView contents);

    // Name in the locale's language when the entry has one ("Name[de_DE]", then "Name[de]"), else "Name".
    std::optional<QString> name(const QLocale& locale = QLocale()) const;
    std::optional<QString> value(const QString& key) const;

private:
    QHash<QString, QString> m_values;
};

} // namespace stowline
