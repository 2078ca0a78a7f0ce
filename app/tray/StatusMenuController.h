#pragma once

#include <QIcon>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class QMenu;

namespace stowline {

class AppPreferences;
class HistoryStore;

// The application's item in the desktop's tray, its only permanent presence: the icon shows whether capture runs,
// a left click toggles the history panel and a right click opens a small menu, built anew every time. Without a
// tray host the application goes on without it and looks again now and then. GUI thread only.
class StatusMenuController : public QObject {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void()> openHistory;
        std::function<void()> openSettings;
        std::function<void()> quit;
    };

    // `preferences` and `store` must outlive this object.
    StatusMenuController(AppPreferences& preferences, HistoryStore& store, Callbacks callbacks,
                         QObject* parent = nullptr);
    ~StatusMenuController() override;

    static QString capturingDescription();
    static QString pausedDescription();
    // How often the tray is looked for while there is none.
    static constexpr int trayCheckIntervalMs = 2000;

    QSystemTrayIcon& trayIcon() { return m_trayIcon; }
    // The menu of the last right click; nothing before the first.
    QMenu* menu() const { return m_menu.get(); }

    // What a click on the icon does; public so a click can be simulated where no tray exists.
    void activate(QSystemTrayIcon::ActivationReason reason);
    // Builds the menu for the current state and opens it at `position`.
    void showMenu(const QPoint& position);
    // The question "Clear Non-Favorites" asks, while it is open.
    QMessageBox* clearAlert() const { return m_clearAlert; }

private:
    void updateIcon(bool captureEnabled);
    void showWhenTrayExists();
    void clearNonFavorites();

    AppPreferences& m_preferences;
    HistoryStore& m_store;
    Callbacks m_callbacks;
    QSystemTrayIcon m_trayIcon;
    QTimer m_trayCheck;
    bool m_reportedMissingTray = false;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QMessageBox> m_clearAlert;
};

} // namespace stowline
