#include "app/appearance/DesktopColorScheme.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace stowline {

namespace {

// An activatable portal may take a while to start; its answer is applied whenever it comes within this time.
constexpr int activationTimeoutMs = 5000;

// `Read` wraps the value in one more variant than `ReadOne`; some portals nest further.
QVariant unwrapped(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

} // namespace

QString DesktopColorScheme::serviceName() {
    return QStringLiteral("org.freedesktop.portal.Desktop");
}
QString DesktopColorScheme::objectPath() {
    return QStringLiteral("/org/freedesktop/portal/desktop");
}
QString DesktopColorScheme::interfaceName() {
    return QStringLiteral("org.freedesktop.portal.Settings");
}
QString DesktopColorScheme::appearanceNamespace() {
    return QStringLiteral("org.freedesktop.appearance");
}
QString DesktopColorScheme::colorSchemeKey() {
    return QStringLiteral("color-scheme");
}

DesktopColorScheme::Scheme DesktopColorScheme::fromPortalValue(const QVariant& value) {
    const QVariant plain = unwrapped(value);
    bool ok = false;
    const uint number = plain.toUInt(&ok);
    if (!ok)
        return Scheme::noPreference;
    switch (number) {
    case 1:
        return Scheme::preferDark;
    case 2:
        return Scheme::preferLight;
    default:
        return Scheme::noPreference;
    }
}

DesktopColorScheme::DesktopColorScheme(QDBusConnection bus, int blockingTimeoutMs, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    if (!m_bus.isConnected())
        return;
    // The slot's types are looked up by name: until something registered QDBusVariant, the first connection of
    // the process fails. By well-known name, so a portal that starts or restarts later is followed too.
    qRegisterMetaType<QDBusVariant>();
    m_bus.connect(serviceName(), objectPath(), interfaceName(), QStringLiteral("SettingChanged"), this,
                  SLOT(settingChanged(QString, QString, QDBusVariant)));

    QDBusConnectionInterface* daemon = m_bus.interface();
    if (!daemon || !daemon->isServiceRegistered(serviceName()).value()) {
        askAsynchronously(QStringLiteral("ReadOne"));
        return;
    }
    const QDBusMessage reply = askAndWait(QStringLiteral("ReadOne"), blockingTimeoutMs);
    if (accept(reply))
        return;
    // Portals before version 2 know only `Read`; a portal that did not answer in time is not asked again.
    if (reply.errorName() == QDBusError::errorString(QDBusError::UnknownMethod))
        accept(askAndWait(QStringLiteral("Read"), blockingTimeoutMs));
}

QDBusMessage DesktopColorScheme::askAndWait(const QString& method, int timeoutMs) const {
    return m_bus.call(readMessage(method), QDBus::Block, timeoutMs);
}

QDBusMessage DesktopColorScheme::readMessage(const QString& method) const {
    QDBusMessage message = QDBusMessage::createMethodCall(serviceName(), objectPath(), interfaceName(), method);
    message << appearanceNamespace() << colorSchemeKey();
    return message;
}

void DesktopColorScheme::askAsynchronously(const QString& method) {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(readMessage(method), activationTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, method] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (!accept(reply) && method == u"ReadOne" &&
            reply.errorName() == QDBusError::errorString(QDBusError::UnknownMethod))
            askAsynchronously(QStringLiteral("Read"));
    });
}

bool DesktopColorScheme::accept(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    update(fromPortalValue(reply.arguments().constFirst()));
    return true;
}

void DesktopColorScheme::settingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value) {
    if (nameSpace == appearanceNamespace() && key == colorSchemeKey())
        update(fromPortalValue(value.variant()));
}

void DesktopColorScheme::update(Scheme scheme) {
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT changed();
}

} // namespace stowline
