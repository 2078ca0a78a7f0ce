#include "tests/platform/FakeDesktopPortal.h"

#include "app/appearance/DesktopColorScheme.h"

#include <QDBusConnectionInterface>
#include <QDBusError>

namespace stowline::test {

bool FakePortalSettings::known(const QString& nameSpace, const QString& key) {
    if (nameSpace == DesktopColorScheme::appearanceNamespace() && key == DesktopColorScheme::colorSchemeKey())
        return true;
    sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                   QStringLiteral("Requested setting not found"));
    return false;
}

QDBusVariant FakePortalSettings::ReadOne(const QString& nameSpace, const QString& key) {
    if (onlyRead) {
        sendErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method ReadOne"));
        return {};
    }
    if (!known(nameSpace, key))
        return {};
    return QDBusVariant(QVariant::fromValue(uint(colorScheme)));
}

QDBusVariant FakePortalSettings::Read(const QString& nameSpace, const QString& key) {
    if (!known(nameSpace, key))
        return {};
    return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant::fromValue(uint(colorScheme)))));
}

void FakePortalSettings::announce(uint scheme) {
    colorScheme = scheme;
    Q_EMIT SettingChanged(DesktopColorScheme::appearanceNamespace(), DesktopColorScheme::colorSchemeKey(),
                          QDBusVariant(QVariant::fromValue(scheme)));
}

FakeDesktopPortal::FakeDesktopPortal()
    : m_settings(new FakePortalSettings)
    , m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"))) {
    m_settings->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_settings, &QObject::deleteLater);
    m_thread.start();
}

FakeDesktopPortal::~FakeDesktopPortal() {
    m_connection.unregisterService(DesktopColorScheme::serviceName());
    m_connection.unregisterObject(DesktopColorScheme::objectPath());
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    m_thread.quit();
    m_thread.wait();
}

bool FakeDesktopPortal::start(uint colorScheme, bool onlyRead) {
    m_settings->colorScheme = colorScheme;
    m_settings->onlyRead = onlyRead;
    return m_connection.registerObject(DesktopColorScheme::objectPath(), m_settings,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
           m_connection.registerService(DesktopColorScheme::serviceName());
}

void FakeDesktopPortal::switchTo(uint colorScheme) {
    QMetaObject::invokeMethod(m_settings, "announce", Qt::QueuedConnection, Q_ARG(uint, colorScheme));
}

} // namespace stowline::test
