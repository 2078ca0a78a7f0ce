#include "app/StowlineApplication.h"

#include "app/actions/ClipboardActions.h"
#include "app/appearance/AppearanceCoordinator.h"
#include "app/ApplicationShortcuts.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/instance/InstanceCommands.h"
#include "app/LaunchAtLoginManager.h"
#include "app/notices/Notices.h"
#include "app/preferences/AppPreferences.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/platform/xdg/GnomeCustomShortcut.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/tray/StatusMenuController.h"
#include "app/ui/history/HistoryViewModel.h"
#include "app/ui/history/HistoryWindowManager.h"
#include "app/ui/permission/PermissionReadinessWindowManager.h"
#include "app/ui/settings/SettingsWindowManager.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"
#include "core/support/AppIdentity.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDebug>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace stowline {

StowlineApplication::StowlineApplication(PlatformServices services, const Options& options, QObject* parent)
    : QObject(parent), m_platform(std::move(services)), m_isBackgroundLaunch(options.isBackgroundLaunch) {
    m_preferences = std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(
        options.preferencesFile.isEmpty() ? PreferenceStore::defaultFilePath() : options.preferencesFile));
    m_actions = std::make_unique<ClipboardActions>(*m_platform.pasteboard, *m_platform.keystrokes);
    // Before any window: the first one already has the colours in effect. Without a session bus there is no
    // desktop portal to ask (and Qt would start a bus of its own to find that out).
    m_appearance = std::make_unique<AppearanceCoordinator>(
        *m_preferences, qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
                            ? std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus())
                            : nullptr);

    m_notices = std::make_unique<Notices>();
    m_store = std::make_unique<HistoryStore>();
    // Opening the persistence loads the archive of the chosen protection mode.
    auto archive = std::make_unique<EncryptedArchiveStore>(
        options.archiveDirectory.isEmpty() ? EncryptedArchiveStore::defaultDirectory() : options.archiveDirectory,
        *m_platform.secrets);
    const ArchiveProtectionMode chosen = protectionModeFromStoredValue(m_preferences->archiveProtectionModeID());
    const ArchiveProtectionMode holding = archive->modeHoldingHistory(chosen);
    // A move between protection modes ended (or was cut short) before the choice was stored.
    if (holding != chosen)
        m_preferences->setArchiveProtectionModeID(rawValue(holding));
    m_persistence = std::make_unique<HistoryPersistence>(*m_store, *m_notices, std::move(archive), holding);
    m_persistence->setHistoryLimitProvider([preferences = m_preferences.get()] { return preferences->historyLimit(); });

    m_imageTextRecognition = std::make_unique<ImageTextRecognitionCoordinator>(*m_store, *m_platform.textRecognizer);
    // The stored history is read in the background (or opens late, once its key can be reached): when it is
    // there it gets what start-up gives the history.
    connect(m_store.get(), &HistoryStore::historyOpened, this, [this] {
        m_store->applyRetention(m_preferences->retentionDays());
        queueRecognition();
    });
    // Whatever the clipboard holds at this moment counts as seen, so it never becomes a clip.
    m_monitor = std::make_unique<ClipboardMonitor>(*m_platform.pasteboard, *m_platform.frontmost, *m_store,
                                                   *m_preferences, *m_imageTextRecognition);
    // The application's own clipboard writes are marked through it and never captured.
    m_actions->setMonitor(m_monitor.get());
    m_history = std::make_unique<HistoryWindowManager>(*m_store, *m_notices, *m_preferences, *m_actions,
                                                       *m_platform.frontmost, *m_platform.floatingWindows);

    // The permission window exists before the first shortcut decision, which may open it.
    m_permissions = std::make_unique<PermissionReadinessWindowManager>(
        *m_preferences, *m_actions, [this] { m_shortcuts->registerHotKey(m_preferences->shortcut()); },
        [this] { revertPermissionDependentChoices(); });
    std::function<void()> createShortcut;
    if (GnomeCustomShortcut::isAvailable())
        createShortcut = [this] { addGnomeShortcut(); };
    m_permissions->setDesktopFacts(m_platform.desktopFacts, std::move(createShortcut));

    // Created ahead of its turn because the settings release its grab while recording; creating it registers
    // nothing.
    m_hotKey = std::make_unique<GlobalHotKey>(*m_platform.hotKeys, *m_platform.keystrokes, [this] { togglePanel(); });
    m_settings = std::make_unique<SettingsWindowManager>(
        *m_preferences, *m_store, *m_persistence, *m_notices, LaunchAtLoginManager(*m_platform.loginItem), *m_hotKey,
        [this] { m_permissions->showIfNeeded(PermissionReadinessWindowManager::Showing::review); });
    m_settings->setFloatingWindows(m_platform.floatingWindows.get());
    m_history->setSettingsManager({.show =
                                       [settings = QPointer(m_settings.get())] {
                                           if (settings)
                                               settings->show();
                                       },
                                   .window = [settings = QPointer(m_settings.get())]() -> QWidget* {
                                       return settings ? settings->window() : nullptr;
                                   }});

    m_statusMenu = std::make_unique<StatusMenuController>(
        *m_preferences, *m_store,
        StatusMenuController::Callbacks{.openHistory = [this] { togglePanel(); },
                                        .openSettings = [this] { showSettings(); },
                                        .quit = [this] { terminate(); }});

    m_shortcuts = std::make_unique<ShortcutCoordinator>(
        *m_hotKey, *m_preferences, *m_notices, [this] { return m_actions->refreshAccessibility(); },
        m_isBackgroundLaunch);
    connect(m_shortcuts.get(), &ShortcutCoordinator::permissionWindowRequested, this,
            [this] { m_permissions->showIfNeeded(PermissionReadinessWindowManager::Showing::forced); });
    connect(m_shortcuts.get(), &ShortcutCoordinator::permissionConfigurationChanged, m_permissions.get(),
            &PermissionReadinessWindowManager::configurationDidChange);

    m_applicationShortcuts =
        std::make_unique<ApplicationShortcuts>([this] { showSettings(); }, [this] { terminate(); });
    // "Becoming active" here is one of Stowline's windows taking the focus from another application.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                applicationDidBecomeActive();
        });
    }
}

StowlineApplication::~StowlineApplication() = default;

void StowlineApplication::start() {
    reconcileLaunchAtLogin();
    m_shortcuts->start();
    subscribeToPreferences();
    m_monitor->start();
    m_store->applyRetention(m_preferences->retentionDays());
    queueRecognition();
    if (!m_isBackgroundLaunch)
        showPanel();
}

void StowlineApplication::queueRecognition() {
    // Read in place: a list of 100,000 clips is not copied to find the few images among them.
    const std::shared_ptr<const HistoryEngine> history = m_store->publishedHistory();
    for (qsizetype i = 0; i < history->size(); ++i) {
        const ClipItem& item = history->at(i);
        if (ImageTextRecognitionPolicy::needsRecognition(item))
            m_imageTextRecognition->enqueue(item, RecognitionOrigin::backfill);
    }
}

void StowlineApplication::reconcileLaunchAtLogin() {
    LaunchAtLoginManager manager(*m_platform.loginItem);
    const bool wanted = m_preferences->launchAtLogin();
    if (!manager.isInstalled() && !wanted)
        return;
    // Rewritten even when it is there, so it always names the current executable.
    if (!manager.setEnabled(wanted).ok())
        m_notices->post(Notice::launchAtLoginFailed);
}

void StowlineApplication::subscribeToPreferences() {
    // Later changes only; each re-evaluates the permission window once the change has settled.
    connect(m_preferences.get(), &AppPreferences::instantPasteChanged, m_permissions.get(),
            &PermissionReadinessWindowManager::configurationDidChange, Qt::QueuedConnection);
}

void StowlineApplication::revertPermissionDependentChoices() {
    m_shortcuts->revertPermissionDependentChoices();
    m_permissions->configurationDidChange();
}

void StowlineApplication::applicationDidBecomeActive() {
    m_actions->refreshAccessibility();
    if (m_permissions->isWindowVisible()) {
        const PermissionRequestPhase phase = m_permissions->requestState().phase();
        const bool open = phase == PermissionRequestPhase::presented || phase == PermissionRequestPhase::awaitingSystem;
        if (m_permissions->actions().refreshAccessibility() && open) {
            m_permissions->requestState().observeTrust(true);
            m_permissions->close(true);
        }
        return;
    }
    const HotKeyConfiguration chosen = m_preferences->shortcut();
    if (!chosen.requiresAccessibilityInterception())
        return;
    // Granted meanwhile in the desktop's settings: the waiting choice goes live. Taken away: back to one that
    // needs no permission.
    if (m_actions->accessibilityGranted())
        m_shortcuts->registerHotKey(chosen);
    else
        revertPermissionDependentChoices();
}

void StowlineApplication::showSettings() {
    // The floating panel would stay above the settings: it steps aside as for its own settings button.
    if (m_history->isVisible())
        m_history->showSettings();
    else
        m_settings->show();
}

void StowlineApplication::addGnomeShortcut() {
    QWidget* parent = m_permissions->window();
    const QString title = QStringLiteral("Add Shortcut");
    // GNOME's settings are the user's: changed only on their word.
    if (QMessageBox::question(parent, title,
                              QStringLiteral("Add Shift+Super+V to GNOME's keyboard shortcuts? It runs \"%1 toggle\", "
                                             "which shows the clipboard history.")
                                  .arg(AppIdentity::executableName())) != QMessageBox::Yes)
        return;
    if (!GnomeCustomShortcut::create(AppIdentity::executableName() + QStringLiteral(" toggle"),
                                     QStringLiteral("<Shift><Super>v")))
        QMessageBox::warning(parent, title,
                             QStringLiteral("GNOME's keyboard settings could not be changed here. Add the shortcut in "
                                            "Settings, Keyboard, Custom Shortcuts."));
}

void StowlineApplication::useActivationToken(const QString& token) {
    m_platform.floatingWindows->useActivationToken(token);
}

void StowlineApplication::showPanel() {
    ++m_panelRequestCount;
    m_history->show(HistoryWindowManager::PanelState::reset);
    Q_EMIT panelRequested();
}

void StowlineApplication::togglePanel() {
    ++m_panelRequestCount;
    m_history->toggle();
    if (m_history->isVisible())
        Q_EMIT panelRequested();
}

bool StowlineApplication::pasteIntoFrontmost() {
    return m_history->pasteInto(m_platform.frontmost->frontmost());
}

ApplicationControl::PanelState StowlineApplication::panelState() const {
    return {m_history->isVisible(), m_history->viewModel().visibleItems().size(), m_history->isActive()};
}

InstanceServices StowlineApplication::instanceServices() {
    return {*m_store,   *m_persistence, *m_notices, *m_preferences,
            *m_actions, *m_shortcuts,   *this,      m_platform.sessionReport};
}

std::optional<QString> StowlineApplication::stopAndSave() {
    m_monitor->stop();
    // A copy still being turned into a clip belongs to the history that is saved now.
    m_monitor->finishPendingCaptures();
    m_persistence->compact();
    if (const std::optional<HistoryPersistence::Unsaved> unsaved = m_persistence->unsaved())
        return unsaved->describe();
    return std::nullopt;
}

void StowlineApplication::resumeAfterRefusedQuit() {
    m_monitor->start();
}

void StowlineApplication::requestQuit() {
    QMetaObject::invokeMethod(this, &StowlineApplication::quitRequested, Qt::QueuedConnection);
}

void StowlineApplication::terminate() {
    if (m_quitAlert && m_quitAlert->isVisible()) {
        m_quitAlert->raise();
        return;
    }
    const std::optional<QString> unsaved = stopAndSave();
    if (!unsaved) {
        requestQuit();
        return;
    }
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quit Stowline"),
                                  QStringLiteral("Stowline could not save everything."));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setInformativeText(*unsaved +
                              QStringLiteral(".\n\nKeep Stowline running and quit again once that is fixed, or quit "
                                             "now and lose it."));
    QPushButton* keep = alert->addButton(QStringLiteral("Keep Running"), QMessageBox::RejectRole);
    QPushButton* quit = alert->addButton(QStringLiteral("Quit Anyway"), QMessageBox::DestructiveRole);
    alert->setDefaultButton(keep);
    alert->setEscapeButton(keep);
    connect(quit, &QPushButton::clicked, this, &StowlineApplication::requestQuit);
    connect(keep, &QPushButton::clicked, this, &StowlineApplication::resumeAfterRefusedQuit);
    m_quitAlert = alert;
    alert->show();
    alert->raise();
    alert->activateWindow();
}

void StowlineApplication::terminateForSignal() {
    // Saving was already tried once more inside; the session is ending and nobody can be asked.
    if (const std::optional<QString> unsaved = stopAndSave())
        qWarning().noquote()
            << QStringLiteral("Stowline: quitting at the end of the session although %1.").arg(*unsaved);
    requestQuit();
}

} // namespace stowline
