// The desktop portal's settings interface as a desktop publishes it, served on the session bus by a process of
// its own. Standard input drives it: "scheme N" switches the colour scheme and announces it with
// `SettingChanged`. Started with "old", it is a portal from before `ReadOne`, whose `Read` nests the value one
// variant deeper. Started with "shortcuts" (or "refuse-shortcuts", whose binding the user declines) it also offers
// GlobalShortcuts: it says "session N" for each session made, "bound ID TRIGGER" for each shortcut bound, and
// "activate ID" on standard input presses that shortcut of the latest session. Prints "ready" once it owns the
// portal's name.
#include "app/platform/portal/PortalShortcut.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTimer>
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

// Answers a request on its own object path once the call has returned, as the portal does.
void respond(const QString& sender, const QVariantMap& options, uint response, const QVariantMap& results) {
    const QString path = kPath + QStringLiteral("/request/") + sender.mid(1).replace(u'.', u'_') + u'/' +
                         options.value(QStringLiteral("handle_token")).toString();
    QTimer::singleShot(0, [path, response, results] {
        QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        signal << response << results;
        QDBusConnection::sessionBus().send(signal);
    });
}

class GlobalShortcuts : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit GlobalShortcuts(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    uint version() const { return 1; }

    bool refuse = false;
    QString session;
    int sessions = 0;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        session = kPath + QStringLiteral("/session/") + message.service().mid(1).replace(u'.', u'_') + u'/' +
                  options.value(QStringLiteral("session_handle_token")).toString();
        std::cout << "session " << ++sessions << std::endl;
        respond(message.service(), options, 0, {{QStringLiteral("session_handle"), session}});
        return QDBusObjectPath(kPath + QStringLiteral("/request/created"));
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& sessionHandle,
                                  const QList<stowline::PortalShortcut>& shortcuts, const QString& parentWindow,
                                  const QVariantMap& options, const QDBusMessage& message) {
        Q_UNUSED(parentWindow);
        if (sessionHandle.path() == session && !refuse) {
            for (const stowline::PortalShortcut& shortcut : shortcuts) {
                std::cout << "bound " << shortcut.id.toStdString() << ' '
                          << shortcut.properties.value(QStringLiteral("preferred_trigger")).toString().toStdString()
                          << std::endl;
            }
        }
        respond(message.service(), options, refuse ? 1 : 0, {});
        return QDBusObjectPath(kPath + QStringLiteral("/request/bound"));
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    PortalSettings settings;
    const std::string mode = argc > 1 ? argv[1] : "";
    settings.old = mode == "old";
    GlobalShortcuts* shortcuts = nullptr;
    if (mode == "shortcuts" || mode == "refuse-shortcuts") {
        qDBusRegisterMetaType<stowline::PortalShortcut>();
        qDBusRegisterMetaType<QList<stowline::PortalShortcut>>();
        shortcuts = new GlobalShortcuts(&settings);
        shortcuts->refuse = mode == "refuse-shortcuts";
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kPath, &settings, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAdaptors) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;

    QSocketNotifier input(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            QCoreApplication::quit();
            return;
        }
        if (shortcuts && line.rfind("activate ", 0) == 0) {
            QDBusMessage signal = QDBusMessage::createSignal(
                kPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
            signal << QVariant::fromValue(QDBusObjectPath(shortcuts->session)) << QString::fromStdString(line.substr(9))
                   << QVariant::fromValue(qulonglong(1)) << QVariantMap();
            bus.send(signal);
            std::cout << "activated" << std::endl;
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
