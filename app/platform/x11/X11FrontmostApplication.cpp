#include "app/platform/x11/X11FrontmostApplication.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

constexpr uint32_t kMaximumPropertyLength = 1024;

xcb_get_property_cookie_t requestProperty(const XcbConnection& x, xcb_window_t window, const QByteArray& name) {
    return xcb_get_property(x.get(), 0, window, x.atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, kMaximumPropertyLength);
}

QByteArray propertyBytes(const XcbConnection& x, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    const XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(x.get(), cookie, &error));
    const XcbPointer<xcb_generic_error_t> ownedError(error);
    if (!reply || reply->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get())};
}

std::optional<uint32_t> propertyCardinal(const XcbConnection& x, xcb_get_property_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    const XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(x.get(), cookie, &error));
    const XcbPointer<xcb_generic_error_t> ownedError(error);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

std::optional<QString> nonEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

// _KDE_NET_WM_DESKTOP_FILE may hold the id, the file name or a full path.
QString desktopIdOfFile(const QByteArray& value) {
    QString id = QFileInfo(QString::fromUtf8(value)).fileName();
    if (id.endsWith(u".desktop"))
        id.chop(8);
    return id;
}

std::optional<QString> processName(uint32_t pid) {
    QFile comm(u"/proc/%1/comm"_s.arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    return nonEmpty(QString::fromUtf8(comm.readAll()).trimmed());
}

} // namespace

X11FrontmostApplication::X11FrontmostApplication(XcbConnection connection) : m_connection(std::move(connection)) {}

std::optional<RunningApplication> X11FrontmostApplication::frontmost() const {
    if (!m_connection.isValid())
        return std::nullopt;
    const std::optional<uint32_t> active =
        propertyCardinal(m_connection, requestProperty(m_connection, m_connection.root(), "_NET_ACTIVE_WINDOW"));
    if (!active || *active == XCB_NONE)
        return std::nullopt;
    const xcb_window_t window = *active;

    // Ask for everything at once so the GUI thread waits for one round trip.
    const auto attributesCookie = xcb_get_window_attributes(m_connection.get(), window);
    const auto gtkCookie = requestProperty(m_connection, window, "_GTK_APPLICATION_ID");
    const auto kdeCookie = requestProperty(m_connection, window, "_KDE_NET_WM_DESKTOP_FILE");
    const auto classCookie = requestProperty(m_connection, window, "WM_CLASS");
    const auto pidCookie = requestProperty(m_connection, window, "_NET_WM_PID");
    const QString gtkId = QString::fromUtf8(propertyBytes(m_connection, gtkCookie));
    const QString kdeId = desktopIdOfFile(propertyBytes(m_connection, kdeCookie));
    const QList<QByteArray> wmClass = propertyBytes(m_connection, classCookie).split('\0');
    const QString instance = QString::fromLocal8Bit(wmClass.value(0));
    const QString className = QString::fromLocal8Bit(wmClass.value(1));
    const std::optional<uint32_t> pid = propertyCardinal(m_connection, pidCookie);
    // Some window managers leave the property naming a window that is gone; its id may since belong to an unmapped
    // window of another client (even this one), which must not be taken for the application in front.
    xcb_generic_error_t* attributesError = nullptr;
    const XcbPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(m_connection.get(), attributesCookie, &attributesError));
    const XcbPointer<xcb_generic_error_t> ownedAttributesError(attributesError);
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;

    RunningApplication application;
    application.window = window;
    if (pid)
        application.processIdentifier = *pid;

    // Explicit ids first; then the window class, through StartupWMClass as the desktop itself matches windows.
    std::optional<DesktopApplication> entry = m_applications.byAppId(gtkId);
    if (!entry)
        entry = m_applications.byAppId(kdeId);
    if (!entry)
        entry = m_applications.byWindowClass(instance, className);
    application.bundleIdentifier = entry ? std::optional(entry->desktopId)
                                         : nonEmpty(!gtkId.isEmpty()   ? gtkId
                                                    : !kdeId.isEmpty() ? kdeId
                                                                       : instance);
    application.localizedName = entry ? entry->name : std::nullopt;
    if (!application.localizedName)
        application.localizedName = nonEmpty(className);
    if (!application.localizedName && pid)
        application.localizedName = processName(*pid);
    return application;
}

bool X11FrontmostApplication::activate(const RunningApplication& application) {
    if (!m_connection.isValid() || isTerminated(application))
        return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(application.window);
    message.type = m_connection.atom("_NET_ACTIVE_WINDOW");
    // Source 2 is a pager: the user asked for the switch, so window managers do not refuse it as focus stealing.
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection.get(), 0, m_connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection.get());
    return true;
}

bool X11FrontmostApplication::isTerminated(const RunningApplication& application) const {
    if (!m_connection.isValid() || application.window == 0)
        return true;
    // A vanished window answers with BadWindow; taking the error here keeps it out of Qt's error log.
    xcb_generic_error_t* error = nullptr;
    const XcbPointer<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        m_connection.get(),
        xcb_get_window_attributes(m_connection.get(), static_cast<xcb_window_t>(application.window)), &error));
    const XcbPointer<xcb_generic_error_t> ownedError(error);
    return !reply;
}

} // namespace stowline
