#include "app/platform/xdg/DesktopApplications.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace stowline {

namespace {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoPointer = std::unique_ptr<GDesktopAppInfo, ObjectUnref>;

std::optional<DesktopApplication> describe(GDesktopAppInfo* info) {
    const char* id = g_app_info_get_id(G_APP_INFO(info));
    if (id == nullptr)
        return std::nullopt;
    QString desktopId = QString::fromUtf8(id);
    if (desktopId.endsWith(QLatin1String(".desktop")))
        desktopId.chop(8);
    // GIO picks the Name for the user's language from the environment, as the desktop's menus do.
    const char* name = g_app_info_get_name(G_APP_INFO(info));
    return DesktopApplication{desktopId, name && *name ? std::optional(QString::fromUtf8(name)) : std::nullopt};
}

void markStale(GAppInfoMonitor*, gpointer stale) {
    *static_cast<bool*>(stale) = true;
}

} // namespace

DesktopApplications::DesktopApplications() {
    // Emitted through the GUI thread's main context, which Qt's event loop runs.
    GAppInfoMonitor* monitor = g_app_info_monitor_get();
    m_monitor = monitor;
    m_changedHandler = g_signal_connect(monitor, "changed", G_CALLBACK(markStale), &m_stale);
}

DesktopApplications::~DesktopApplications() {
    g_signal_handler_disconnect(m_monitor, m_changedHandler);
    g_object_unref(m_monitor);
}

std::optional<DesktopApplication> DesktopApplications::byAppId(const QString& appId) const {
    if (appId.isEmpty())
        return std::nullopt;
    if (auto found = byId(appId))
        return found;
    return byStartupWmClass(appId);
}

std::optional<DesktopApplication> DesktopApplications::byWindowClass(const QString& instance,
                                                                     const QString& className) const {
    for (const QString& windowClass : {instance, className}) {
        if (auto found = byStartupWmClass(windowClass))
            return found;
    }
    for (const QString& desktopId : {instance, className, className.toLower()}) {
        if (auto found = byId(desktopId))
            return found;
    }
    return std::nullopt;
}

std::optional<DesktopApplication> DesktopApplications::byId(const QString& desktopId) const {
    // Ids are file names: a path or an empty name is never one.
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return std::nullopt;
    const QByteArray fileId =
        (desktopId.endsWith(QLatin1String(".desktop")) ? desktopId : desktopId + QLatin1String(".desktop")).toUtf8();
    const AppInfoPointer info(g_desktop_app_info_new(fileId.constData()));
    return info ? describe(info.get()) : std::nullopt;
}

std::optional<DesktopApplication> DesktopApplications::byStartupWmClass(const QString& windowClass) const {
    if (windowClass.isEmpty())
        return std::nullopt;
    if (m_stale) {
        m_stale = false;
        m_startupWmClasses.clear();
        GList* all = g_app_info_get_all();
        for (GList* entry = all; entry != nullptr; entry = entry->next) {
            if (!G_IS_DESKTOP_APP_INFO(entry->data))
                continue;
            auto* info = G_DESKTOP_APP_INFO(entry->data);
            const char* wmClass = g_desktop_app_info_get_startup_wm_class(info);
            const char* id = g_app_info_get_id(G_APP_INFO(info));
            if (wmClass != nullptr && *wmClass != '\0' && id != nullptr)
                m_startupWmClasses.insert(QString::fromUtf8(wmClass), QString::fromUtf8(id));
        }
        g_list_free_full(all, g_object_unref);
    }
    const auto found = m_startupWmClasses.constFind(windowClass);
    return found == m_startupWmClasses.cend() ? std::nullopt : byId(found.value());
}

} // namespace stowline
