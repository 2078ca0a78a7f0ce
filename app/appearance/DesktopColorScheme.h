#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QString>

namespace stowline {

// The desktop's light/dark wish as the desktop portal publishes it (`org.freedesktop.appearance`
// `color-scheme`), followed while the process runs. Without a portal, or until one answers, it reads as no
// preference. Used on the GUI thread only.
class DesktopColorScheme : public QObject {
    Q_OBJECT

public:
    enum class Scheme { noPreference, preferDark, preferLight };

    // A running portal is asked synchronously, bounded by `blockingTimeoutMs`, so the first window already has
    // the right colours; one that still has to be started answers later through `changed`.
    explicit DesktopColorScheme(QDBusConnection bus, int blockingTimeoutMs = 500, QObject* parent = nullptr);

    Scheme scheme() const { return m_scheme; }
    bool prefersDark() const { return m_scheme == Scheme::preferDark; }

    // The portal's numbering: 1 dark, 2 light, anything else (0 included) no preference.
    static Scheme fromPortalValue(const QVariant& value);

    static QString serviceName();
    static QString objectPath();
    static QString interfaceName();
    static QString appearanceNamespace();
    static QString colorSchemeKey();

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    // QDBusConnection::connect takes only a slot signature.
    void settingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    QDBusMessage readMessage(const QString& method) const;
    void askAsynchronously(const QString& method);
    QDBusMessage askAndWait(const QString& method, int timeoutMs) const;
    bool accept(const QDBusMessage& reply);
    void update(Scheme scheme);

    QDBusConnection m_bus;
    Scheme m_scheme = Scheme::noPreference;
};

} // namespace stowline
