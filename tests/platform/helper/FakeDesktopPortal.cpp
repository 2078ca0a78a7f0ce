// The desktop portal's settings interface as a desktop publishes it, served on the session bus by a process of
// its own. Standard input drives it: "scheme N" switches the colour scheme and announces it with
// `SettingChanged`. Started with "old", it is a portal from before `ReadOne`, whose `Read` nests the value one
// variant deeper. Prints "ready" once it owns the portal's name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kNamespace = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

class PortalSettings : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint colorScheme = 0;
    bool old = false;

public Q_SLOTS:
    QDBusVariant ReadOne(const QString& nameSpace, const QString& key) {
        if (old) {
            sendErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method ReadOne"));
            return {};
        }
        if (!known(nameSpace, key))
            return {};
        return QDBusVariant(QVariant::fromValue(colorScheme));
    }

    QDBusVariant Read(const QString& nameSpace, const QString& key) {
        if (!known(nameSpace, key))
            return {};
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant::fromValue(colorScheme))));
    }

private:
    bool known(const QString& nameSpace, const QString& key) {
        if (nameSpace == kNamespace && key == kKey)
            return true;
        sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), QStringLiteral("No such setting"));
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    PortalSettings settings;
    settings.old = argc > 1 && std::string(argv[1]) == "old";
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kPath, &settings, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;

    QSocketNotifier input(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            QCoreApplication::quit();
            return;
        }
        if (line.rfind("scheme ", 0) != 0)
            return;
        settings.colorScheme = std::stoul(line.substr(7));
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("SettingChanged"));
        signal << kNamespace << kKey << QVariant::fromValue(QDBusVariant(QVariant::fromValue(settings.colorScheme)));
        bus.send(signal);
        std::cout << "sent" << std::endl;
    });
    std::cout << "ready" << std::endl;
    return QCoreApplication::exec();
}

#include "FakeDesktopPortal.moc"
