#include "tests/platform/secretservice/KeyringDaemon.h"

#include "app/platform/secretservice/SecretServiceStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QThread>

namespace stowline::test {

KeyringDaemon::KeyringDaemon() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
    m_process.setProcessEnvironment(environment);
    m_process.setProgram(QStringLiteral("gnome-keyring-daemon"));
    m_process.setArguments({QStringLiteral("--replace"), QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                            QStringLiteral("--components=secrets")});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

KeyringDaemon::~KeyringDaemon() {
    stop();
}

bool KeyringDaemon::start() {
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    // Written out here: the test runs no event loop that would flush it later.
    m_process.write("stowline-keyring-test");
    m_process.waitForBytesWritten(5000);
    m_process.closeWriteChannel();
    // Asking before this daemon owns the name would start another one through bus activation, without the
    // password. Owning the name is checked without activating anything.
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const QString name = QStringLiteral("org.freedesktop.secrets");
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        const QDBusReply<uint> owner = bus->servicePid(name);
        if (bus->isServiceRegistered(name).value() && owner.isValid() && qint64(owner.value()) == m_process.processId())
            break;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(50);
    }
    // Ready once its open keyring answers a lookup.
    SecretServiceStore probe(QStringLiteral("org.stowline.Stowline.test"), std::chrono::seconds(2));
    while (!deadline.hasExpired()) {
        if (probe.lookup({{QStringLiteral("probe"), QStringLiteral("ready")}}).ok())
            return true;
        QThread::msleep(100);
    }
    return false;
}

void KeyringDaemon::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool KeyringDaemon::restart() {
    stop();
    return start();
}

bool KeyringDaemon::lockDefaultCollection() {
    QDBusInterface service(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                           QStringLiteral("org.freedesktop.Secret.Service"), QDBusConnection::sessionBus());
    const QDBusReply<QDBusObjectPath> alias = service.call(QStringLiteral("ReadAlias"), QStringLiteral("default"));
    if (!alias.isValid() || alias.value().path() == QStringLiteral("/"))
        return false;
    const QDBusMessage reply =
        service.call(QStringLiteral("Lock"), QVariant::fromValue(QList<QDBusObjectPath>{alias.value()}));
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace stowline::test
