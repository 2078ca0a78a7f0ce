#pragma once

#include "app/PlatformServices.h"
#include "app/instance/ApplicationControl.h"
#include "core/model/ClipItem.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace stowline {

class AppPreferences;
class AppearanceCoordinator;
class ApplicationShortcuts;
class ClipboardActions;
class ClipboardMonitor;
class GlobalHotKey;
class HistoryPersistence;
class HistoryStore;
struct InstanceServices;
class HistoryWindowManager;
class ImageTextRecognitionCoordinator;
class Notices;
class PermissionReadinessWindowManager;
class SettingsWindowManager;
class ShortcutCoordinator;
class StatusMenuController;

// Owns every long-lived service of the process, builds them in a fixed order and connects them. Requests from
// later starts are answered by `InstanceCommands` over some of these services. Used on the GUI thread only.
class StowlineApplication : public QObject, public ApplicationControl {
    Q_OBJECT

public:
    struct Options {
        bool isBackgroundLaunch = false;
        QString preferencesFile;  // empty: the user's preference file
        QString archiveDirectory; // empty: the user's data folder
    };

    StowlineApplication(PlatformServices services, const Options& options, QObject* parent = nullptr);
    ~StowlineApplication() override;

    // The start-up sequence; call once, with the event loop about to run.
    void start();

    // Ends capturing, writes pending saves, then asks the event loop to end; for the tray's "Quit Stowline" and
    // Ctrl+Q. When something could not be saved it asks first, and a "Keep Running" goes on capturing.
    void terminate();
    // The same for a termination signal, which cannot ask: what could not be saved is logged.
    void terminateForSignal();
    // The two halves of `terminate`, for a `quit` that answers in between: what could not be saved, if anything.
    std::optional<QString> stopAndSave() override;
    void requestQuit() override;
    // A quit that was refused because something could not be saved: capturing goes on.
    void resumeAfterRefusedQuit() override;
    // The question a quit asks while it is open.
    QMessageBox* quitAlert() const { return m_quitAlert; }

    // Brings the history panel forward; toggling hides it when it is showing.
    void useActivationToken(const QString& token) override;
    // Offers to create the desktop's own shortcut for the panel in GNOME's settings.
    void addGnomeShortcut();
    void showPanel() override;
    void togglePanel() override;
    // Queues text recognition for the image clips of the history that need it.
    void queueRecognition() override;
    bool pasteIntoFrontmost() override;

    // One of Stowline's windows gained the focus, or a later start asked for the panel: the permission may have
    // been granted or taken away meanwhile.
    void applicationDidBecomeActive() override;
    // The tray's "Settings…", Ctrl+, in any Stowline window, and `stowline settings`.
    void showSettings() override;

    AppPreferences& preferences() { return *m_preferences; }
    HistoryStore& store() { return *m_store; }
    HistoryPersistence& persistence() { return *m_persistence; }
    Notices& notices() { return *m_notices; }
    ClipboardMonitor& monitor() { return *m_monitor; }
    ClipboardActions& actions() { return *m_actions; }
    ImageTextRecognitionCoordinator& imageTextRecognition() { return *m_imageTextRecognition; }
    ShortcutCoordinator& shortcuts() { return *m_shortcuts; }
    HistoryWindowManager& history() { return *m_history; }
    PermissionReadinessWindowManager& permissions() { return *m_permissions; }
    StatusMenuController& statusMenu() { return *m_statusMenu; }
    SettingsWindowManager& settings() { return *m_settings; }
    PlatformServices& platform() { return m_platform; }

    // How often the history panel was asked for since start (shortcut, a later start, `show`, `toggle`).
    int panelRequestCount() const override { return m_panelRequestCount; }
    PanelState panelState() const override;

    // What the commands of later starts work on.
    InstanceServices instanceServices();

Q_SIGNALS:
    // The history panel should come forward.
    void panelRequested();
    // Pending saves are written and the reply to `quit` is sent: the event loop may end.
    void quitRequested();

private:
    void reconcileLaunchAtLogin();
    void revertPermissionDependentChoices();
    void subscribeToPreferences();

    PlatformServices m_platform;
    bool m_isBackgroundLaunch;
    std::unique_ptr<AppPreferences> m_preferences;
    std::unique_ptr<AppearanceCoordinator> m_appearance;
    std::unique_ptr<ClipboardActions> m_actions;
    std::unique_ptr<Notices> m_notices;
    std::unique_ptr<HistoryStore> m_store;
    // Declared after the history it keeps on disk, so it writes what is pending before the history goes.
    std::unique_ptr<HistoryPersistence> m_persistence;
    // Declared after the store and before the monitor: each is destroyed before what it uses.
    std::unique_ptr<ImageTextRecognitionCoordinator> m_imageTextRecognition;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<HistoryWindowManager> m_history;
    std::unique_ptr<PermissionReadinessWindowManager> m_permissions;
    std::unique_ptr<StatusMenuController> m_statusMenu;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    std::unique_ptr<SettingsWindowManager> m_settings;
    std::unique_ptr<ShortcutCoordinator> m_shortcuts;
    std::unique_ptr<ApplicationShortcuts> m_applicationShortcuts;
    int m_panelRequestCount = 0;
    QPointer<QMessageBox> m_quitAlert;
};

} // namespace stowline
