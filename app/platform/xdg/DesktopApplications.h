#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace stowline {

// An installed application as its desktop entry describes it.
struct DesktopApplication {
    // The desktop-entry id without ".desktop" ("org.gnome.TextEditor").
    QString desktopId;
    // The entry's Name in the user's language.
    std::optional<QString> name;

    friend bool operator==(const DesktopApplication&, const DesktopApplication&) = default;
};

// The installed applications' desktop entries as the desktop itself finds them, through GIO's GDesktopAppInfo (the
// XDG data dirs, the user's language, hidden entries). Used on the GUI thread.
class DesktopApplications {
public:
    DesktopApplications();
    ~DesktopApplications();
    DesktopApplications(const DesktopApplications&) = delete;
    DesktopApplications& operator=(const DesktopApplications&) = delete;

    // A Wayland app id or desktop-entry id ("org.gnome.TextEditor", ".desktop" optional): the entry of that id,
    // else the entry whose StartupWMClass is the id (applications whose app id is not their entry's name).
    std::optional<DesktopApplication> byAppId(const QString& appId) const;
    // An X11 window's WM_CLASS: the entry whose StartupWMClass is its instance or class, else an entry named after
    // the instance, the class or the lowercase class.
    std::optional<DesktopApplication> byWindowClass(const QString& instance, const QString& className) const;

private:
    std::optional<DesktopApplication> byId(const QString& desktopId) const;
    std::optional<DesktopApplication> byStartupWmClass(const QString& windowClass) const;

    // StartupWMClass → desktop id of every installed entry, rebuilt after GIO reports a change.
    mutable QHash<QString, QString> m_startupWmClasses;
    mutable bool m_stale = true;
    void* m_monitor = nullptr;
    unsigned long m_changedHandler = 0;
};

} // namespace stowline
