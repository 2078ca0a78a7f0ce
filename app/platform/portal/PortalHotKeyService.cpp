#include "app/platform/portal/PortalHotKeyService.h"

#include "app/platform/portal/PortalShortcut.h"
#include "core/support/AppIdentity.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <xkbcommon/xkbcommon.h>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

const QString portalService = u"org.freedesktop.portal.Desktop"_s;
const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
const QString shortcutsInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;

// X11 modifier bits, as `HotKey` holds them.
constexpr quint16 shiftMask = 0x1;
constexpr quint16 controlMask = 0x4;
constexpr quint16 altMask = 0x8;
constexpr quint16 superMask = 0x40;

} // namespace

PortalHotKeyService::PortalHotKeyService(QDBusConnection bus, QObject* parent)
    : HotKeyService(parent), m_bus(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_watcher = new QDBusServiceWatcher(portalService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &PortalHotKeyService::probe);
    probe();
}

PortalHotKeyService::~PortalHotKeyService() {
    closeSession();
}

QString PortalHotKeyService::triggerFor(const HotKey& key) {
    char name[64];
    if (xkb_keysym_get_name(key.keysym, name, sizeof name) <= 0 || key.keysym == XKB_KEY_NoSymbol)
        return {};
    QString trigger;
    const std::pair<quint16, const char*> modifiers[] = {
        {controlMask, "CTRL+"}, {altMask, "ALT+"}, {shiftMask, "SHIFT+"}, {superMask, "LOGO+"}};
    for (const auto& [mask, text] : modifiers) {
        if (key.modifiers & mask)
            trigger += QLatin1StringView(text);
    }
    return trigger + QString::fromLatin1(name);
}

QString PortalHotKeyService::shortcutId(const HotKey& key) const {
    return u"toggle-panel-"_s + triggerFor(key);
}

bool PortalHotKeyService::registerKey(const HotKey& key) {
    if (triggerFor(key).isEmpty())
        return false;
    if (!m_keys.contains(key)) {
        m_keys.append(key);
        scheduleRebind();
    }
    return true;
}

void PortalHotKeyService::unregisterKey(const HotKey& key) {
    if (m_keys.removeAll(key) > 0)
        scheduleRebind();
}

bool PortalHotKeyService::isRegistered(const HotKey& key) const {
    return m_bound && m_keys.contains(key);
}

void PortalHotKeyService::probe() {
    // From xdg-desktop-portal 1.19.4 a host application names itself first; older portals do not know the call,
    // which then fails harmlessly.
    if (!m_registeredHost) {
        QDBusMessage registration = QDBusMessage::createMethodCall(
            portalService, portalPath, u"org.freedesktop.host.portal.Registry"_s, u"Register"_s);
        registration << AppIdentity::applicationIdentifier() << QVariantMap();
        m_bus.asyncCall(registration);
        m_registeredHost = true;
    }
    QDBusMessage version =
        QDBusMessage::createMethodCall(portalService, portalPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    version << shortcutsInterface << u"version"_s;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(version), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const bool available = !call->isError();
        if (available == m_available)
            return;
        m_available = available;
        if (!m_available)
            return;
        // Subscribed only once the portal runs: a subscription made while nobody owned its name stays silent.
        m_bus.disconnect(portalService, portalPath, shortcutsInterface, u"Activated"_s, this,
                         SLOT(handleActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        m_bus.connect(portalService, portalPath, shortcutsInterface, u"Activated"_s, this,
                      SLOT(handleActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        if (!m_keys.isEmpty())
            scheduleRebind();
    });
}

void PortalHotKeyService::scheduleRebind() {
    // Several changes in a row (a new shortcut taken before the old one is given up) make one session.
    if (m_rebindScheduled)
        return;
    m_rebindScheduled = true;
    QMetaObject::invokeMethod(this, &PortalHotKeyService::rebind, Qt::QueuedConnection);
}

void PortalHotKeyService::rebind() {
    m_rebindScheduled = false;
    closeSession();
    m_bound = false;
    if (!m_available || m_keys.isEmpty())
        return;
    const QString sessionToken = u"stowline"_s + QString::number(m_nextToken++);
    request(u"CreateSession"_s, {}, {{u"session_handle_token"_s, sessionToken}}, [this](const QVariantMap& results) {
        m_session = results.value(u"session_handle"_s).toString();
        if (m_session.isEmpty()) {
            refused();
            return;
        }
        QList<PortalShortcut> shortcuts;
        for (const HotKey& key : std::as_const(m_keys)) {
            shortcuts.append(
                {shortcutId(key),
                 {{u"description"_s, u"Show the clipboard history"_s}, {u"preferred_trigger"_s, triggerFor(key)}}});
        }
        request(u"BindShortcuts"_s,
                {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString()}, {},
                [this](const QVariantMap&) {
                    m_bound = true;
                    Q_EMIT bindingFinished(true);
                });
    });
}

void PortalHotKeyService::closeSession() {
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(
        QDBusMessage::createMethodCall(portalService, m_session, u"org.freedesktop.portal.Session"_s, u"Close"_s));
    m_session.clear();
}

void PortalHotKeyService::request(const QString& method, QVariantList arguments, QVariantMap options,
                                  std::function<void(const QVariantMap&)> then) {
    // The request's object path is known before the call, so its answer cannot arrive before we listen.
    const QString token = u"stowline"_s + QString::number(m_nextToken++);
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    if (!m_requestPath.isEmpty())
        m_bus.disconnect(portalService, m_requestPath, u"org.freedesktop.portal.Request"_s, u"Response"_s, this,
                         SLOT(handleResponse(uint, QVariantMap)));
    m_requestPath = portalPath + u"/request/"_s + sender + u'/' + token;
    m_then = std::move(then);
    m_bus.connect(portalService, m_requestPath, u"org.freedesktop.portal.Request"_s, u"Response"_s, this,
                  SLOT(handleResponse(uint, QVariantMap)));
    options.insert(u"handle_token"_s, token);
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    arguments.append(options);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, path = m_requestPath](QDBusPendingCallWatcher* reply) {
                reply->deleteLater();
                if (reply->isError() && path == m_requestPath)
                    refused();
            });
}

void PortalHotKeyService::handleResponse(uint response, const QVariantMap& results) {
    if (!m_then)
        return;
    std::function<void(const QVariantMap&)> then = std::exchange(m_then, nullptr);
    // 0: accepted; 1: the user cancelled; 2: the desktop ended it.
    if (response != 0) {
        refused();
        return;
    }
    then(results);
}

void PortalHotKeyService::refused() {
    m_then = nullptr;
    m_bound = false;
    Q_EMIT bindingFinished(false);
}

void PortalHotKeyService::handleActivated(const QDBusObjectPath& session, const QString& shortcutId,
                                          qulonglong timestamp, const QVariantMap& options) {
    Q_UNUSED(timestamp);
    Q_UNUSED(options);
    if (session.path() != m_session)
        return;
    for (const HotKey& key : std::as_const(m_keys)) {
        if (this->shortcutId(key) == shortcutId) {
            QMetaObject::invokeMethod(
                this, [this, key] { Q_EMIT pressed(key); }, Qt::QueuedConnection);
            return;
        }
    }
}

} // namespace stowline
