#pragma once

#include "app/platform/HotKeyService.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>

class QDBusServiceWatcher;

namespace stowline {

// Global shortcuts through the desktop portal's GlobalShortcuts interface (on Wayland, where no client may grab
// keys). The portal binds the shortcuts of a session once: every change of the registered keys starts a new
// session with all of them, each offered with its combination as the preferred trigger; the desktop may ask the
// user to confirm. A portal that appears after start-up is picked up then. GUI thread only.
class PortalHotKeyService final : public HotKeyService {
    Q_OBJECT

public:
    explicit PortalHotKeyService(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~PortalHotKeyService() override;

    // Accepted at once; the binding follows when the portal answers. False only for a key with no name.
    [[nodiscard]] bool registerKey(const HotKey& key) override;
    void unregisterKey(const HotKey& key) override;
    // Registered, and bound by the portal's last answer.
    bool isRegistered(const HotKey& key) const override;
    // The desktop's portal offers global shortcuts.
    bool isAvailable() const { return m_available; }

    // The portal's form of a combination ("CTRL+ALT+SHIFT+LOGO+v"); empty for a keysym without a name.
    static QString triggerFor(const HotKey& key);

Q_SIGNALS:
    // The portal answered a binding: bound, or refused by the desktop or the user.
    void bindingFinished(bool bound);

private Q_SLOTS:
    void handleResponse(uint response, const QVariantMap& results);
    void handleActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
                         const QVariantMap& options);

private:
    void probe();
    void scheduleRebind();
    void rebind();
    void closeSession();
    // Calls `method` of the GlobalShortcuts interface as a portal request: `then` gets the Response's results when
    // the user or the desktop accepted it, and the request ends as refused otherwise.
    void request(const QString& method, QVariantList arguments, QVariantMap options,
                 std::function<void(const QVariantMap&)> then);
    void refused();
    QString shortcutId(const HotKey& key) const;

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    QList<HotKey> m_keys;
    bool m_available = false;
    bool m_bound = false;
    bool m_rebindScheduled = false;
    bool m_registeredHost = false;
    // Tokens are unique within the process; answers to an earlier request are ignored.
    quint64 m_nextToken = 1;
    QString m_requestPath;
    std::function<void(const QVariantMap&)> m_then;
    QString m_session;
};

} // namespace stowline
