#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QThread>

#include <atomic>

namespace stowline::test {

// The desktop portal's settings interface as a desktop publishes it, served on the test's session bus from a
// thread and a connection of its own, so a client on the main thread may call it synchronously.
class FakePortalSettings : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    std::atomic<uint> colorScheme{0};
    // An older portal: `ReadOne` is unknown and `Read` nests the value one variant deeper.
    std::atomic<bool> onlyRead{false};

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& nameSpace, const QString& key);
    QDBusVariant Read(const QString& nameSpace, const QString& key);
    // Not part of the interface's use by clients; lets the test emit from the serving thread.
    void announce(uint scheme);

Q_SIGNALS:
    void SettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    bool known(const QString& nameSpace, const QString& key);
};

class FakeDesktopPortal {
public:
    FakeDesktopPortal();
    ~FakeDesktopPortal();

    // Takes the portal's well-known name; false when the bus refused.
    bool start(uint colorScheme, bool onlyRead = false);
    // The desktop switches its scheme: stored and announced with `SettingChanged`.
    void switchTo(uint colorScheme);

private:
    QThread m_thread;
    FakePortalSettings* m_settings;
    QDBusConnection m_connection;
};

} // namespace stowline::test
